// The kernel services of the real Windows machine: kernel32's version query, run-time library
// loading, events and waits, tick counter and debugger output.
#pragma once

#include <chrono>

#include "platform/Kernel.h"

namespace korvel::platform::win32 {

class Win32Kernel : public Kernel {
 public:
  // `debugOutput`: whether the debugger output is also written to stderr (KORVEL_DEBUG set).
  explicit Win32Kernel(bool debugOutput) : debugOutput_(debugOutput) {}

  BOOL GetVersionExA(OSVERSIONINFOA& info) override;
  HMODULE LoadLibraryA(const char* name) override;
  FarProc GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;
  HANDLE CreateEventA(bool manualReset, bool initialState) override;
  BOOL SetEvent(HANDLE event) override;
  BOOL ResetEvent(HANDLE event) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
  BOOL CloseHandle(HANDLE handle) override;
  DWORD GetTickCount() override;
  void Sleep(DWORD milliseconds) override;
  std::uint64_t MillisecondsSinceStart() override;
  void OutputDebugStringA(const char* text) override;
  DWORD GetLastError() override;

 private:
  bool debugOutput_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace korvel::platform::win32
