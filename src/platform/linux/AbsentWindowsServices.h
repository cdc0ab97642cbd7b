// The Windows services a Linux machine does not have: no drive letters and no NT SCSI devices
// to open, an empty registry that takes no keys, no version records and no Windows shell. They
// answer as Windows does when the thing asked for does not exist, so the start-up falls through
// to the host's own SCSI discovery and the host routines keep their defaults.
#pragma once

#include "platform/DeviceIo.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/VersionInfo.h"
#include "platform/VersionRecord.h"

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
  LONG RegCreateKeyExA(HKEY, const char*, DWORD, DWORD, HKEY* result, DWORD*) override {
    if (result != nullptr) *result = 0;
    return ERROR_ACCESS_DENIED;
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

// No file here carries a Windows version record; a block made elsewhere is still walked as
// Windows walks it.
class NoVersionInfo : public VersionInfo {
 public:
  DWORD GetFileVersionInfoSizeA(const char*, DWORD* handle) override {
    if (handle != nullptr) *handle = 0;
    return 0;
  }
  BOOL GetFileVersionInfoA(const char*, DWORD, DWORD, void*) override { return 0; }
  BOOL VerQueryValueA(void* block, const char* subBlock, void** value, UINT* length) override {
    return QueryVersionBlock(block, subBlock, value, length);
  }
};

// No Windows shell: nothing is associated with any file, and no message box can be shown.
class NoShell : public Shell {
 public:
  HINSTANCE ShellExecuteA(HWND, const char*, const char*, const char*, const char*, int) override {
    return SE_ERR_NOASSOC;
  }
  int MessageBoxA(HWND, const char*, const char*, UINT) override { return 0; }
};

}  // namespace korvel::platform::linux_host
