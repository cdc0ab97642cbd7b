// The kernel of the simulated PC: version, the ASPI library as a loadable module, events,
// the tick counter on the scenario's clock and the debugger output.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/Clock.h"
#include "platform/Kernel.h"
#include "platform/sim/AspiLibrary.h"
#include "platform/sim/EventTable.h"
#include "platform/sim/LastError.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/WinBool.h"

namespace korvel::platform::sim {

// The module handle of the ASPI library while it is loaded (a typical DLL base address).
inline constexpr HMODULE kAspiModule = 0x10000000;

class SimulatedKernel : public Kernel {
 public:
  SimulatedKernel(const Scenario& scenario, emulator::Clock& clock, AspiLibrary& aspi,
                  EventTable& events, LastError& lastError);

  BOOL GetVersionExA(OSVERSIONINFOA& info) override;
  HMODULE LoadLibraryA(const char* name) override;
  FarProc GetProcAddress(HMODULE module, const char* name) override;
  BOOL FreeLibrary(HMODULE module) override;
  HANDLE CreateEventA(bool manualReset, bool initialState) override;
  BOOL SetEvent(HANDLE event) override;
  BOOL ResetEvent(HANDLE event) override;
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
  BOOL CloseHandle(HANDLE handle) override;
  // With a virtual clock every call lets 1 ms pass, so that busy waits on the tick end.
  DWORD GetTickCount() override;
  // Lets the time pass on the scenario's clock: a real sleep, or a step of virtual time.
  void Sleep(DWORD milliseconds) override;
  std::uint64_t MillisecondsSinceStart() override;
  void OutputDebugStringA(const char* text) override;
  DWORD GetLastError() override;

  int libraryLoads() const;
  int libraryFrees() const;
  bool libraryLoaded() const;
  int eventsCreated() const { return events_.created(); }
  int eventsClosed() const { return events_.closed(); }
  std::vector<std::string> debugOutput() const;
  // Also hands every debugger line to `sink` (for example to print it in a demo).
  void SetDebugSink(std::function<void(std::string_view)> sink);

 private:
  const Scenario& scenario_;
  emulator::Clock& clock_;
  AspiLibrary& aspi_;
  EventTable& events_;
  LastError& lastError_;
  const bool virtualTime_;
  const std::uint64_t startMs_;

  mutable std::mutex mutex_;
  int loads_ = 0;
  int frees_ = 0;
  int references_ = 0;
  std::vector<std::string> debugOutput_;
  std::function<void(std::string_view)> debugSink_;
};

}  // namespace korvel::platform::sim
