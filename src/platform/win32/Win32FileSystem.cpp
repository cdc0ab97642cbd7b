#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/HandleBits.h"

namespace korvel::platform::win32 {
namespace {

// Taken before windows.h, whose macro of the same name would replace the platform's constant.
constexpr HANDLE kNoFile = INVALID_HANDLE_VALUE;
constexpr DWORD kAccessDenied = ERROR_ACCESS_DENIED;

}  // namespace
}  // namespace korvel::platform::win32

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {

HANDLE Win32FileSystem::CreateFileA(const char* path, DWORD access, DWORD shareMode, DWORD creation,
                                    DWORD attributes) {
  const ::HANDLE file =
      ::CreateFileA(path, access, shareMode, nullptr, creation, attributes, nullptr);
  const HANDLE bits = HandleBits(file);
  // A device (NUL, CON, a serial port) or a pipe opens as a file does, yet may never end or wait
  // for ever: it is refused as a folder is, before anything reads from it.
  if (bits != kNoFile && ::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    ::SetLastError(kAccessDenied);
    return kNoFile;
  }
  return bits;
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
