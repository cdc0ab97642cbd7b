#include "platform/sim/SimulatedKernel.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "emulator/VirtualClock.h"
#include "platform/sim/LibraryFileName.h"

namespace korvel::platform::sim {
namespace {

struct VersionAnswer {
  DWORD major, minor, build, platform;
  const char* servicePack;
};

VersionAnswer VersionOf(WindowsVersion os) {
  // Windows 9x repeats major and minor version in the high word of the build number.
  switch (os) {
    case WindowsVersion::Win95:
      return {4, 0, 0x04000000u | 950, VER_PLATFORM_WIN32_WINDOWS, ""};
    case WindowsVersion::Win98:
      return {4, 10, 0x040A0000u | 1998, VER_PLATFORM_WIN32_WINDOWS, ""};
    case WindowsVersion::Nt4:
      return {4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6"};
    case WindowsVersion::Win2000:
      return {5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4"};
  }
  return {};
}

}  // namespace

SimulatedKernel::SimulatedKernel(const Scenario& scenario, emulator::Clock& clock,
                                 AspiLibrary& aspi, EventTable& events, LastError& lastError)
    : scenario_(scenario),
      clock_(clock),
      aspi_(aspi),
      events_(events),
      lastError_(lastError),
      virtualTime_(dynamic_cast<emulator::VirtualClock*>(&clock) != nullptr),
      startMs_(clock.NowMs()) {}

BOOL SimulatedKernel::GetVersionExA(OSVERSIONINFOA& info) {
  if (info.dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    lastError_.Set(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const VersionAnswer answer = VersionOf(scenario_.os);
  info.dwMajorVersion = answer.major;
  info.dwMinorVersion = answer.minor;
  info.dwBuildNumber = answer.build;
  info.dwPlatformId = answer.platform;
  std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
  std::strncpy(info.szCSDVersion, answer.servicePack, sizeof info.szCSDVersion - 1);
  return TRUE;
}

HMODULE SimulatedKernel::LoadLibraryA(const char* name) {
  if (name == nullptr || !scenario_.aspi.installed || LibraryFileName(name) != kAspiLibraryFile) {
    lastError_.Set(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::lock_guard lock(mutex_);
  ++loads_;
  ++references_;
  return kAspiModule;
}

FarProc SimulatedKernel::GetProcAddress(HMODULE module, const char* name) {
  if (module != kAspiModule || !libraryLoaded()) {
    lastError_.Set(ERROR_INVALID_HANDLE);
    return {};
  }
  const auto& entries = scenario_.aspi.entries;
  // Export names are matched exactly, letter case included, as the loader does.
  if (name == nullptr || std::find(entries.begin(), entries.end(), name) == entries.end()) {
    lastError_.Set(ERROR_PROC_NOT_FOUND);
    return {};
  }
  if (std::strcmp(name, "GetASPI32SupportInfo") == 0) {
    return [this](void*) { return aspi_.GetSupportInfo(); };
  }
  if (std::strcmp(name, "SendASPI32Command") == 0) {
    return [this](void* request) { return aspi_.SendCommand(request); };
  }
  // Another export the scenario lists: present, and answers nothing useful.
  return [](void*) -> DWORD { return 0; };
}

BOOL SimulatedKernel::FreeLibrary(HMODULE module) {
  std::lock_guard lock(mutex_);
  if (module != kAspiModule || references_ == 0) {
    lastError_.Set(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ++frees_;
  --references_;
  return TRUE;
}

int SimulatedKernel::libraryLoads() const {
  std::lock_guard lock(mutex_);
  return loads_;
}

int SimulatedKernel::libraryFrees() const {
  std::lock_guard lock(mutex_);
  return frees_;
}

bool SimulatedKernel::libraryLoaded() const {
  std::lock_guard lock(mutex_);
  return references_ > 0;
}

HANDLE SimulatedKernel::CreateEventA(bool manualReset, bool initialState) {
  return events_.Create(manualReset, initialState);
}

BOOL SimulatedKernel::SetEvent(HANDLE event) {
  if (events_.Set(event)) return TRUE;
  lastError_.Set(ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL SimulatedKernel::ResetEvent(HANDLE event) {
  if (events_.Reset(event)) return TRUE;
  lastError_.Set(ERROR_INVALID_HANDLE);
  return FALSE;
}

DWORD SimulatedKernel::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  DWORD result = events_.Wait(handle, milliseconds);
  if (result == WAIT_FAILED) lastError_.Set(ERROR_INVALID_HANDLE);
  return result;
}

BOOL SimulatedKernel::CloseHandle(HANDLE handle) {
  if (events_.Close(handle)) return TRUE;
  lastError_.Set(ERROR_INVALID_HANDLE);
  return FALSE;
}

DWORD SimulatedKernel::GetTickCount() {
  const std::uint64_t elapsed = clock_.NowMs() - startMs_;
  if (virtualTime_) clock_.Sleep(1);
  return static_cast<DWORD>(scenario_.bootTick + elapsed);
}

void SimulatedKernel::Sleep(DWORD milliseconds) {
  clock_.Sleep(milliseconds);
}

std::uint64_t SimulatedKernel::MillisecondsSinceStart() {
  return clock_.NowMs() - startMs_;
}

void SimulatedKernel::OutputDebugStringA(const char* text) {
  if (text == nullptr) return;
  std::function<void(std::string_view)> sink;
  {
    std::lock_guard lock(mutex_);
    debugOutput_.emplace_back(text);
    sink = debugSink_;
  }
  if (sink) sink(text);
}

std::vector<std::string> SimulatedKernel::debugOutput() const {
  std::lock_guard lock(mutex_);
  return debugOutput_;
}

void SimulatedKernel::SetDebugSink(std::function<void(std::string_view)> sink) {
  std::lock_guard lock(mutex_);
  debugSink_ = std::move(sink);
}

DWORD SimulatedKernel::GetLastError() {
  return lastError_.Get();
}

}  // namespace korvel::platform::sim
