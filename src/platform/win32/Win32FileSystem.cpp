#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/HandleBits.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {

HANDLE Win32FileSystem::CreateFileA(const char* path, DWORD access, DWORD shareMode, DWORD creation,
                                    DWORD attributes) {
  return HandleBits(::CreateFileA(path, access, shareMode, nullptr, creation, attributes, nullptr));
}

DWORD Win32FileSystem::SetFilePointer(HANDLE file, LONG distance, DWORD method) {
  return ::SetFilePointer(FromHandleBits<::HANDLE>(file), distance, nullptr, method);
}

BOOL Win32FileSystem::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead) {
  ::DWORD got = 0;
  const BOOL done = ::ReadFile(FromHandleBits<::HANDLE>(file), buffer, size, &got, nullptr);
  if (bytesRead != nullptr) *bytesRead = got;
  return done;
}

BOOL Win32FileSystem::CloseHandle(HANDLE file) {
  return ::CloseHandle(FromHandleBits<::HANDLE>(file));
}

DWORD Win32FileSystem::GetFileAttributesA(const char* path) {
  return ::GetFileAttributesA(path);
}

DWORD Win32FileSystem::GetLastError() {
  return ::GetLastError();
}

}  // namespace korvel::platform::win32
