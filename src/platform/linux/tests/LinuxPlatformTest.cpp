#include "platform/linux/LinuxPlatform.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/linux/tests/FakeSysfsTree.h"

namespace korvel::platform::linux_host {
namespace {

using testing::FakeSysfsTree;

TEST(LinuxPlatformTest, HasNoAspiLibraryNoDriveLettersAndAnEmptyRegistry) {
  LinuxPlatform machine(false);
  Platform& platform = machine.platform();
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  EXPECT_NE(platform.kernel.GetVersionExA(version), 0);
  EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(platform.kernel.LoadLibraryA("WNASPI32.DLL"), 0u);
  EXPECT_EQ(platform.kernel.GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(platform.deviceIo.GetDriveTypeA("E:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(platform.deviceIo.CreateFileA("\\\\.\\SCSI0:", GENERIC_READ, 0, OPEN_EXISTING, 0),
            INVALID_HANDLE_VALUE);
  HKEY key = 0;
  EXPECT_NE(
      platform.registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE", 0, KEY_QUERY_VALUE, &key),
      static_cast<LONG>(ERROR_SUCCESS));
}

TEST(LinuxPlatformTest, EventsAreSignalledAndTheTickCounterDoesNotGoBack) {
  LinuxPlatform machine(false);
  Kernel& kernel = machine.platform().kernel;
  HANDLE event = kernel.CreateEventA(true, false);
  ASSERT_NE(event, 0u);
  EXPECT_EQ(kernel.WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  kernel.SetEvent(event);
  EXPECT_EQ(kernel.WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(kernel.WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "manual reset stays set";
  EXPECT_NE(kernel.CloseHandle(event), 0);
  EXPECT_EQ(kernel.WaitForSingleObject(event, 0), WAIT_FAILED);
  const DWORD first = kernel.GetTickCount();
  EXPECT_LE(first - first, kernel.GetTickCount() - first);
}

TEST(PosixFileSystemTest, ReadsAFileAndRefusesASecondOpenerWhileItIsHeld) {
  FakeSysfsTree tree;
  const auto path = tree.root() / "upgrade.bin";
  FakeSysfsTree::Write(path, "0123456789");
  PosixFileSystem files;
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.CreateFileA(path.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.GetLastError(), ERROR_SHARING_VIOLATION);

  EXPECT_EQ(files.SetFilePointer(file, 4, FILE_BEGIN), 4u);
  char buffer[16] = {};
  DWORD read = 0;
  EXPECT_NE(files.ReadFile(file, buffer, sizeof buffer, &read), 0);
  EXPECT_EQ(read, 6u);
  EXPECT_STREQ(buffer, "456789");
  EXPECT_NE(files.ReadFile(file, buffer, sizeof buffer, &read), 0);
  EXPECT_EQ(read, 0u) << "end of file";
  EXPECT_EQ(files.SetFilePointer(file, -20, FILE_BEGIN), INVALID_SET_FILE_POINTER);

  EXPECT_NE(files.CloseHandle(file), 0);
  HANDLE again = files.CreateFileA(path.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0);
  EXPECT_NE(again, INVALID_HANDLE_VALUE) << "closing releases the lock";
  files.CloseHandle(again);
}

TEST(PosixFileSystemTest, ReportsMissingFilesAndFoldersAsWindowsDoes) {
  FakeSysfsTree tree;
  PosixFileSystem files;
  const auto missing = tree.root() / "missing.bin";
  EXPECT_EQ(files.CreateFileA(missing.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(files.CreateFileA(tree.root().c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(files.CloseHandle(0x1234), 0);
}

}  // namespace
}  // namespace korvel::platform::linux_host
