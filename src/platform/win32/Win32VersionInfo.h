// The version records of files on the real Windows machine (version.dll).
#pragma once

#include "platform/VersionInfo.h"

namespace korvel::platform::win32 {

class Win32VersionInfo : public VersionInfo {
 public:
  DWORD GetFileVersionInfoSizeA(const char* file, DWORD* handle) override;
  BOOL GetFileVersionInfoA(const char* file, DWORD handle, DWORD size, void* data) override;
  BOOL VerQueryValueA(void* block, const char* subBlock, void** value, UINT* length) override;
};

}  // namespace korvel::platform::win32
