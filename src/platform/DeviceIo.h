// Windows NT device I/O as the pass-through back end and the drive-letter mapping use it:
// drive types by root path, device handles, and DeviceIoControl on them.
#pragma once

#include "platform/WinTypes.h"

namespace korvel::platform {

class DeviceIo {
 public:
  virtual ~DeviceIo() = default;

  // Root path "X:\".
  virtual UINT GetDriveTypeA(const char* rootPath) = 0;
  // Device names "\\.\X:" and "\\.\SCSIn:". INVALID_HANDLE_VALUE on failure (see GetLastError).
  virtual HANDLE CreateFileA(const char* name, DWORD access, DWORD shareMode, DWORD creation,
                             DWORD flags) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                               DWORD outSize, DWORD* bytesReturned) = 0;
  virtual BOOL CloseHandle(HANDLE device) = 0;
  virtual DWORD GetLastError() = 0;
};

}  // namespace korvel::platform
