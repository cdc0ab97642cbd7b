// The kernel services on the real Linux machine: a version record that names Linux, no ASPI
// library to load, events for whoever needs them, the monotonic clock as tick counter, and
// debugger output on stderr when asked for.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Kernel.h"

namespace korvel::platform::linux_host {

class LinuxKernel : public Kernel {
 public:
  // `debugOutput`: whether OutputDebugStringA writes to stderr (KORVEL_DEBUG set).
  explicit LinuxKernel(bool debugOutput);

  BOOL GetVersionExA(OSVERSIONINFOA& info) override;
  // The kernel's name and release, as "uname -sr" prints them.
  std::string NonWindowsSystemText() override;
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
  struct Event {
    bool manualReset = false;
    bool signalled = false;
  };
  std::shared_ptr<Event> FindEvent(HANDLE handle);

  bool debugOutput_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<HANDLE, std::shared_ptr<Event>> events_;
  HANDLE nextHandle_ = 0x100;
  DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace korvel::platform::linux_host
