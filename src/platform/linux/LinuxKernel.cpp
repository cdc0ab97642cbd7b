#include "platform/linux/LinuxKernel.h"

#include <sys/utsname.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace korvel::platform::linux_host {

namespace {
constexpr BOOL kTrue = 1;
}  // namespace

LinuxKernel::LinuxKernel(bool debugOutput) : debugOutput_(debugOutput) {}

BOOL LinuxKernel::GetVersionExA(OSVERSIONINFOA& info) {
  // Linux is reported as an NT-class system: it has no Windows 9x registry to scan, and the
  // drive-letter logic then takes its plain defaults.
  info.dwPlatformId = VER_PLATFORM_WIN32_NT;
  info.dwMajorVersion = 0;
  info.dwMinorVersion = 0;
  info.dwBuildNumber = 0;
  std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
  struct utsname name {};
  if (::uname(&name) == 0) {
    char* rest = nullptr;
    info.dwMajorVersion = static_cast<DWORD>(std::strtoul(name.release, &rest, 10));
    if (rest != nullptr && *rest == '.') {
      info.dwMinorVersion = static_cast<DWORD>(std::strtoul(rest + 1, nullptr, 10));
    }
    const std::string text = std::string(name.sysname) + " " + name.release;
    text.copy(info.szCSDVersion, sizeof info.szCSDVersion - 1);
  }
  return kTrue;
}

std::string LinuxKernel::NonWindowsSystemText() {
  struct utsname name {};
  if (::uname(&name) != 0) return "Linux";
  return std::string(name.sysname) + " " + name.release;
}

HMODULE LinuxKernel::LoadLibraryA(const char*) {
  lastError_ = ERROR_MOD_NOT_FOUND;
  return 0;
}

FarProc LinuxKernel::GetProcAddress(HMODULE, const char*) {
  lastError_ = ERROR_PROC_NOT_FOUND;
  return {};
}

BOOL LinuxKernel::FreeLibrary(HMODULE) {
  lastError_ = ERROR_INVALID_HANDLE;
  return 0;
}

HANDLE LinuxKernel::CreateEventA(bool manualReset, bool initialState) {
  std::lock_guard lock(mutex_);
  auto event = std::make_shared<Event>();
  event->manualReset = manualReset;
  event->signalled = initialState;
  HANDLE handle = nextHandle_++;
  events_[handle] = event;
  return handle;
}

std::shared_ptr<LinuxKernel::Event> LinuxKernel::FindEvent(HANDLE handle) {
  auto found = events_.find(handle);
  if (found == events_.end()) {
    lastError_ = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return found->second;
}

BOOL LinuxKernel::SetEvent(HANDLE handle) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Event> event = FindEvent(handle);
  if (!event) return 0;
  event->signalled = true;
  changed_.notify_all();
  return kTrue;
}

BOOL LinuxKernel::ResetEvent(HANDLE handle) {
  std::lock_guard lock(mutex_);
  std::shared_ptr<Event> event = FindEvent(handle);
  if (!event) return 0;
  event->signalled = false;
  return kTrue;
}

DWORD LinuxKernel::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::unique_lock lock(mutex_);
  std::shared_ptr<Event> event = FindEvent(handle);
  if (!event) return WAIT_FAILED;
  auto signalled = [&event] { return event->signalled; };
  if (milliseconds == INFINITE) {
    changed_.wait(lock, signalled);
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled)) {
    return WAIT_TIMEOUT;
  }
  if (!event->manualReset) event->signalled = false;
  return WAIT_OBJECT_0;
}

BOOL LinuxKernel::CloseHandle(HANDLE handle) {
  std::lock_guard lock(mutex_);
  if (events_.erase(handle) == 0) {
    lastError_ = ERROR_INVALID_HANDLE;
    return 0;
  }
  return kTrue;
}

DWORD LinuxKernel::GetTickCount() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);  // wraps at 2^32 as the tick counter does
}

void LinuxKernel::Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint64_t LinuxKernel::MillisecondsSinceStart() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - start_)
                                        .count());
}

void LinuxKernel::OutputDebugStringA(const char* text) {
  if (debugOutput_ && text != nullptr) std::fputs(text, stderr);
}

DWORD LinuxKernel::GetLastError() {
  return lastError_;
}

}  // namespace korvel::platform::linux_host
