// Platform services that do nothing and find nothing, for tests that route every command to a
// back end of their own and so never reach the operating system. Tests derive from them to give
// one service a behaviour of its own.
#pragma once

#include "platform/LentAddressSpace.h"
#include "platform/Platform.h"

namespace korvel::platform::testing {

class NullKernel : public platform::Kernel {
 public:
  platform::BOOL GetVersionExA(platform::OSVERSIONINFOA&) override { return 0; }
  platform::HMODULE LoadLibraryA(const char*) override { return 0; }
  platform::FarProc GetProcAddress(platform::HMODULE, const char*) override { return {}; }
  platform::BOOL FreeLibrary(platform::HMODULE) override { return 0; }
  platform::HANDLE CreateEventA(bool, bool) override { return 0; }
  platform::BOOL SetEvent(platform::HANDLE) override { return 0; }
  platform::BOOL ResetEvent(platform::HANDLE) override { return 0; }
  platform::DWORD WaitForSingleObject(platform::HANDLE, platform::DWORD) override {
    return platform::WAIT_FAILED;
  }
  platform::BOOL CloseHandle(platform::HANDLE) override { return 0; }
  platform::DWORD GetTickCount() override { return 0; }
  void Sleep(platform::DWORD) override {}
  std::uint64_t MillisecondsSinceStart() override { return 0; }
  void OutputDebugStringA(const char*) override {}
  platform::DWORD GetLastError() override { return 0; }
};

class NullDeviceIo : public platform::DeviceIo {
 public:
  platform::UINT GetDriveTypeA(const char*) override { return platform::DRIVE_NO_ROOT_DIR; }
  platform::HANDLE CreateFileA(const char*, platform::DWORD, platform::DWORD, platform::DWORD,
                               platform::DWORD) override {
    return platform::INVALID_HANDLE_VALUE;
  }
  platform::BOOL DeviceIoControl(platform::HANDLE, platform::DWORD, void*, platform::DWORD, void*,
                                 platform::DWORD, platform::DWORD*) override {
    return 0;
  }
  platform::BOOL CloseHandle(platform::HANDLE) override { return 0; }
  platform::DWORD GetLastError() override { return platform::ERROR_INVALID_FUNCTION; }
};

class NullRegistry : public platform::Registry {
 public:
  platform::LONG RegOpenKeyExA(platform::HKEY, const char*, platform::DWORD, platform::DWORD,
                               platform::HKEY*) override {
    return platform::ERROR_FILE_NOT_FOUND;
  }
  platform::LONG RegCreateKeyExA(platform::HKEY, const char*, platform::DWORD, platform::DWORD,
                                 platform::HKEY*, platform::DWORD*) override {
    return platform::ERROR_ACCESS_DENIED;
  }
  platform::LONG RegEnumKeyA(platform::HKEY, platform::DWORD, char*, platform::DWORD) override {
    return platform::ERROR_NO_MORE_ITEMS;
  }
  platform::LONG RegQueryValueExA(platform::HKEY, const char*, platform::DWORD*, platform::BYTE*,
                                  platform::DWORD*) override {
    return platform::ERROR_FILE_NOT_FOUND;
  }
  platform::LONG RegSetValueExA(platform::HKEY, const char*, platform::DWORD, const platform::BYTE*,
                                platform::DWORD) override {
    return platform::ERROR_ACCESS_DENIED;
  }
  platform::LONG RegCloseKey(platform::HKEY) override { return platform::ERROR_SUCCESS; }
};

class NullFileSystem : public platform::FileSystem {
 public:
  platform::HANDLE CreateFileA(const char*, platform::DWORD, platform::DWORD, platform::DWORD,
                               platform::DWORD) override {
    return platform::INVALID_HANDLE_VALUE;
  }
  platform::DWORD SetFilePointer(platform::HANDLE, platform::LONG, platform::DWORD) override {
    return platform::INVALID_SET_FILE_POINTER;
  }
  platform::BOOL ReadFile(platform::HANDLE, void*, platform::DWORD, platform::DWORD*) override {
    return 0;
  }
  platform::BOOL CloseHandle(platform::HANDLE) override { return 0; }
  platform::DWORD GetFileAttributesA(const char*) override {
    return platform::INVALID_FILE_ATTRIBUTES;
  }
  platform::DWORD GetLastError() override { return platform::ERROR_FILE_NOT_FOUND; }
};

class NullVersionInfo : public platform::VersionInfo {
 public:
  platform::DWORD GetFileVersionInfoSizeA(const char*, platform::DWORD*) override { return 0; }
  platform::BOOL GetFileVersionInfoA(const char*, platform::DWORD, platform::DWORD,
                                     void*) override {
    return 0;
  }
  platform::BOOL VerQueryValueA(void*, const char*, void**, platform::UINT*) override { return 0; }
};

class NullShell : public platform::Shell {
 public:
  platform::HINSTANCE ShellExecuteA(platform::HWND, const char*, const char*, const char*,
                                    const char*, int) override {
    return platform::SE_ERR_NOASSOC;
  }
  int MessageBoxA(platform::HWND, const char*, const char*, platform::UINT) override { return 0; }
};

class NullVolumes : public platform::Volumes {
 public:
  platform::BOOL GetDiskFreeSpaceA(const char*, platform::DWORD*, platform::DWORD*,
                                   platform::DWORD*, platform::DWORD*) override {
    return 0;
  }
};

// Owns the do-nothing services and the Platform bundle that refers to them.
struct NullPlatform {
  NullKernel kernel;
  NullDeviceIo deviceIo;
  NullRegistry registry;
  NullFileSystem files;
  platform::LentAddressSpace memory;
  NullVersionInfo versions;
  NullShell shell;
  NullVolumes volumes;
  platform::Platform platform{kernel, deviceIo, registry, files, memory, versions, shell, volumes};
};

}  // namespace korvel::platform::testing
