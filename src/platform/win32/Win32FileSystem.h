// The files of the real Windows machine, opened with the share mode the caller names (none for
// the upgrade file, so that nothing changes it while it is sent).
#pragma once

#include "platform/FileSystem.h"

namespace korvel::platform::win32 {

class Win32FileSystem : public FileSystem {
 public:
  HANDLE CreateFileA(const char* path, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD attributes) override;
  DWORD SetFilePointer(HANDLE file, LONG distance, DWORD method) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead) override;
  BOOL CloseHandle(HANDLE file) override;
  DWORD GetFileAttributesA(const char* path) override;
  DWORD GetLastError() override;
};

}  // namespace korvel::platform::win32
