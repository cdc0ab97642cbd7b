// The NT device I/O of the real Windows machine: drive types, the drive and SCSI port devices,
// and DeviceIoControl with the pass-through, address and inquiry-data requests.
#pragma once

#include "platform/DeviceIo.h"

namespace korvel::platform::win32 {

class Win32DeviceIo : public DeviceIo {
 public:
  UINT GetDriveTypeA(const char* rootPath) override;
  HANDLE CreateFileA(const char* name, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD flags) override;
  // The request records go to the driver as they are: on 32-bit Windows the platform's records
  // are the SDK's, the buffer fields real pointers (see SdkLayouts.cpp).
  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* bytesReturned) override;
  BOOL CloseHandle(HANDLE device) override;
  DWORD GetLastError() override;
};

}  // namespace korvel::platform::win32
