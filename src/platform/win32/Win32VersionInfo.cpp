#include "platform/win32/Win32VersionInfo.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {

DWORD Win32VersionInfo::GetFileVersionInfoSizeA(const char* file, DWORD* handle) {
  ::DWORD zero = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(file, &zero);
  if (handle != nullptr) *handle = zero;
  return size;
}

BOOL Win32VersionInfo::GetFileVersionInfoA(const char* file, DWORD handle, DWORD size, void* data) {
  return ::GetFileVersionInfoA(file, handle, size, data);
}

BOOL Win32VersionInfo::VerQueryValueA(void* block, const char* subBlock, void** value,
                                      UINT* length) {
  ::UINT count = 0;
  const BOOL found = ::VerQueryValueA(block, subBlock, value, &count);
  if (length != nullptr) *length = count;
  return found;
}

}  // namespace korvel::platform::win32
