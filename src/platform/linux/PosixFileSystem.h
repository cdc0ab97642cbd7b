// Files on the real Linux machine, opened the way the upgrade expects Windows to open them: a
// file that another program holds is refused with ERROR_SHARING_VIOLATION. POSIX has no share
// modes, so an advisory lock stands in for them (exclusive without sharing, shared with it).
// A path on a drive letter ("E:\Vcd") is looked for on the mount point of that drive's disc.
#pragma once

#include <filesystem>
#include <map>

#include "platform/DrivePath.h"
#include "platform/FileSystem.h"
#include "platform/linux/DriveLetterTable.h"

namespace korvel::platform::linux_host {

class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem() = default;
  // Drive paths resolve through `letters` and the mounts file (in the format of
  // /proc/self/mounts); without a table every drive path is absent.
  explicit PosixFileSystem(const DriveLetterTable* letters,
                           std::filesystem::path mountsFile = "/proc/self/mounts")
      : letters_(letters), mountsFile_(std::move(mountsFile)) {}
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  HANDLE CreateFileA(const char* path, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD attributes) override;
  DWORD SetFilePointer(HANDLE file, LONG distance, DWORD method) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead) override;
  BOOL CloseHandle(HANDLE file) override;
  DWORD GetFileAttributesA(const char* path) override;
  DWORD GetLastError() override;

 private:
  int DescriptorOf(HANDLE file);
  DWORD DriveAttributes(const DrivePath& path);

  const DriveLetterTable* letters_ = nullptr;
  std::filesystem::path mountsFile_ = "/proc/self/mounts";
  std::map<HANDLE, int> descriptors_;
  HANDLE nextHandle_ = 0x1000;
  DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace korvel::platform::linux_host
