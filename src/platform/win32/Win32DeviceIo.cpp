#include "platform/win32/Win32DeviceIo.h"

#include "platform/win32/HandleBits.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {

UINT Win32DeviceIo::GetDriveTypeA(const char* rootPath) {
  return ::GetDriveTypeA(rootPath);
}

HANDLE Win32DeviceIo::CreateFileA(const char* name, DWORD access, DWORD shareMode, DWORD creation,
                                  DWORD flags) {
  return HandleBits(::CreateFileA(name, access, shareMode, nullptr, creation, flags, nullptr));
}

BOOL Win32DeviceIo::DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                                    DWORD outSize, DWORD* bytesReturned) {
  ::DWORD returned = 0;
  const BOOL done = ::DeviceIoControl(FromHandleBits<::HANDLE>(device), code, in, inSize, out,
                                      outSize, &returned, nullptr);
  if (bytesReturned != nullptr) *bytesReturned = returned;
  return done;
}

BOOL Win32DeviceIo::CloseHandle(HANDLE device) {
  return ::CloseHandle(FromHandleBits<::HANDLE>(device));
}

DWORD Win32DeviceIo::GetLastError() {
  return ::GetLastError();
}

}  // namespace korvel::platform::win32
