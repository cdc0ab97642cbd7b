#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ScriptedDevice.h"
#include "emulator/VirtualClock.h"
#include "platform/testing/CaseNames.h"

namespace korvel::platform::sim {
namespace {

using testing::DeviceShelf;
using testing::ScenarioOf;

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("korvel-sim-files-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    upgrade_ = dir_ / "upgrade.bin";
    std::ofstream(upgrade_, std::ios::binary) << "0123456789ABCDEF";
    held_ = dir_ / "held.bin";
    std::ofstream(held_, std::ios::binary) << "held";
    nlohmann::json scenario = {{"os", "win98"}, {"files_held", {held_.string()}}};
    pc_ = std::make_unique<SimulatedPc>(ScenarioOf(scenario.dump()), clock_, shelf_.Maker());
  }
  void TearDown() override {
    pc_.reset();
    std::filesystem::remove_all(dir_);
  }
  FileSystem& files() { return pc_->platform().files; }
  HANDLE Open(const std::filesystem::path& path, DWORD share = 0, DWORD access = GENERIC_READ) {
    return files().CreateFileA(path.c_str(), access, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  }

  std::filesystem::path dir_, upgrade_, held_;
  DeviceShelf shelf_;
  emulator::VirtualClock clock_;
  std::unique_ptr<SimulatedPc> pc_;
};

TEST_F(FileSystemTest, AFileOpenedWithoutSharingRefusesASecondOpenUntilClosed) {
  HANDLE first = Open(upgrade_);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(upgrade_, FILE_SHARE_READ), INVALID_HANDLE_VALUE);
  EXPECT_EQ(files().GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(Open(dir_ / "." / "upgrade.bin"), INVALID_HANDLE_VALUE);  // same file, other name
  EXPECT_EQ(files().CloseHandle(first), TRUE);
  HANDLE again = Open(upgrade_);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  files().CloseHandle(again);
  EXPECT_EQ(pc_->files().openFiles(), 0);
}

TEST_F(FileSystemTest, OpensThatShareReadingLiveTogether) {
  HANDLE first = Open(upgrade_, FILE_SHARE_READ);
  HANDLE second = Open(upgrade_, FILE_SHARE_READ);
  EXPECT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_NE(first, second);
  EXPECT_EQ(Open(upgrade_, 0), INVALID_HANDLE_VALUE);  // would deny the others
  files().CloseHandle(first);
  files().CloseHandle(second);
}

struct RefusalCase {
  const char* name;
  const char* file;  // below the test directory
  DWORD access;
  DWORD error;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class FileRefusalTest : public FileSystemTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(FileRefusalTest, TellsWhyTheFileDoesNotOpen) {
  EXPECT_EQ(Open(dir_ / GetParam().file, FILE_SHARE_READ, GetParam().access), INVALID_HANDLE_VALUE);
  EXPECT_EQ(files().GetLastError(), GetParam().error) << GetParam().name;
  EXPECT_EQ(pc_->files().openFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileRefusalTest,
    ::testing::Values(
        RefusalCase{"held by another program", "held.bin", GENERIC_READ, ERROR_SHARING_VIOLATION},
        RefusalCase{"missing", "none.bin", GENERIC_READ, ERROR_FILE_NOT_FOUND},
        RefusalCase{"missing folder", "none/x.bin", GENERIC_READ, ERROR_FILE_NOT_FOUND},
        RefusalCase{"a folder", "", GENERIC_READ, ERROR_ACCESS_DENIED},
        RefusalCase{"for writing", "upgrade.bin", GENERIC_READ | GENERIC_WRITE,
                    ERROR_ACCESS_DENIED}),
    case_names::FromMember<&RefusalCase::name>{});

// Opening a FIFO for reading would wait for a writer; it is refused at once instead.
TEST_F(FileSystemTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  const std::filesystem::path fifo = dir_ / "pipe.bin";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Open(fifo), INVALID_HANDLE_VALUE);
  EXPECT_EQ(files().GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(pc_->files().openFiles(), 0);
}

// A device is no upgrade file: /dev/zero and /dev/urandom never end, /dev/null reads as empty.
TEST_F(FileSystemTest, ADeviceIsRefusedLikeAFolder) {
  for (const char* device : {"/dev/zero", "/dev/urandom", "/dev/null"}) {
    EXPECT_EQ(Open(device, FILE_SHARE_READ), INVALID_HANDLE_VALUE) << device;
    EXPECT_EQ(files().GetLastError(), ERROR_ACCESS_DENIED) << device;
  }
  EXPECT_EQ(pc_->files().openFiles(), 0);
}

TEST_F(FileSystemTest, AFileWithoutReadPermissionIsAccessDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  std::filesystem::permissions(upgrade_, std::filesystem::perms::none);
  EXPECT_EQ(Open(upgrade_), INVALID_HANDLE_VALUE);
  EXPECT_EQ(files().GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileSystemTest, ReadsInPiecesFromWherePositioned) {
  HANDLE file = Open(upgrade_);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files().SetFilePointer(file, 10, FILE_BEGIN), 10u);
  char buffer[8] = {};
  DWORD got = 99;
  EXPECT_EQ(files().ReadFile(file, buffer, 4, &got), TRUE);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::string(buffer, 4), "ABCD");
  EXPECT_EQ(files().ReadFile(file, buffer, 8, &got), TRUE);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(files().ReadFile(file, buffer, 8, &got), TRUE);
  EXPECT_EQ(got, 0u);  // the end of the file
  EXPECT_EQ(files().SetFilePointer(file, -3, FILE_END), 13u);
  EXPECT_EQ(files().SetFilePointer(file, -20, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(files().SetFilePointer(file, 0, FILE_CURRENT), 13u);
  files().CloseHandle(file);
  EXPECT_EQ(files().ReadFile(file, buffer, 8, &got), FALSE);
  EXPECT_EQ(files().GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace korvel::platform::sim
