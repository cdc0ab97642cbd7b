// The drives behind the test ASPI library: the emulated buses of a scenario file (named by the
// environment variable KORVEL_ASPI_SCENARIO, the built-in scenario when it is not set), driven
// by the simulated PC's ASPI library on the wall clock. Made once, on the first call.
#pragma once

#include <memory>
#include <string>

#include "emulator/RealClock.h"
#include "platform/sim/AspiLibrary.h"
#include "platform/sim/EmulatedBus.h"
#include "platform/sim/Scenario.h"
#include "platform/win32/IdentityAddressSpace.h"

namespace korvel::testaspi {

class ScenarioAspi {
 public:
  // Throws emulator::ConfigError when the scenario cannot be read or used.
  explicit ScenarioAspi(platform::sim::Scenario scenario);

  platform::DWORD GetSupportInfo() const { return aspi_.GetSupportInfo(); }
  platform::DWORD SendCommand(void* request) { return aspi_.SendCommand(request); }

 private:
  const platform::sim::Scenario scenario_;
  emulator::RealClock clock_;
  platform::win32::IdentityAddressSpace memory_;
  platform::sim::EmulatedBus bus_;
  // Last: it ends its queued requests while the buses it drives still exist.
  platform::sim::AspiLibrary aspi_;
};

}  // namespace korvel::testaspi
