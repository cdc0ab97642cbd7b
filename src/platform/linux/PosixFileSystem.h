// Files on the real Linux machine, opened the way the upgrade expects Windows to open them: a
// file that another program holds is refused with ERROR_SHARING_VIOLATION. POSIX has no share
// modes, so an advisory lock stands in for them (exclusive without sharing, shared with it).
#pragma once

#include <map>

#include "platform/FileSystem.h"

namespace korvel::platform::linux_host {

class PosixFileSystem : public FileSystem {
 public:
  PosixFileSystem() = default;
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

  std::map<HANDLE, int> descriptors_;
  HANDLE nextHandle_ = 0x1000;
  DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace korvel::platform::linux_host
