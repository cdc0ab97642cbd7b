// The Windows services a Linux machine does not have: no drive letters and no NT SCSI devices
// to open, and an empty registry. They answer as Windows does when the thing asked for does not
// exist, so the start-up falls through to the host's own SCSI discovery.
#pragma once

#include "platform/DeviceIo.h"
#include "platform/Registry.h"

namespace korvel::platform::linux_host {

class NoDeviceIo : public DeviceIo {
 public:
  UINT GetDriveTypeA(const char*) override { return DRIVE_NO_ROOT_DIR; }
  HANDLE CreateFileA(const char*, DWORD, DWORD, DWORD, DWORD) override {
    return INVALID_HANDLE_VALUE;
  }
  BOOL DeviceIoControl(HANDLE, DWORD, void*, DWORD, void*, DWORD, DWORD* returned) override {
    if (returned != nullptr) *returned = 0;
    return 0;
  }
  BOOL CloseHandle(HANDLE) override { return 0; }
  DWORD GetLastError() override { return ERROR_FILE_NOT_FOUND; }
};

class EmptyRegistry : public Registry {
 public:
  LONG RegOpenKeyExA(HKEY, const char*, DWORD, DWORD, HKEY* result) override {
    if (result != nullptr) *result = 0;
    return ERROR_FILE_NOT_FOUND;
  }
  LONG RegEnumKeyA(HKEY, DWORD, char*, DWORD) override { return ERROR_NO_MORE_ITEMS; }
  LONG RegQueryValueExA(HKEY, const char*, DWORD*, BYTE*, DWORD*) override {
    return ERROR_FILE_NOT_FOUND;
  }
  LONG RegSetValueExA(HKEY, const char*, DWORD, const BYTE*, DWORD) override {
    return ERROR_ACCESS_DENIED;
  }
  LONG RegCloseKey(HKEY) override { return ERROR_INVALID_HANDLE; }
};

}  // namespace korvel::platform::linux_host
