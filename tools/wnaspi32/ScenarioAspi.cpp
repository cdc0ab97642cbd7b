#include "ScenarioAspi.h"

#include <utility>

#include "platform/win32/HandleBits.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::testaspi {

ScenarioAspi::ScenarioAspi(platform::sim::Scenario scenario)
    : scenario_(std::move(scenario)),
      bus_(scenario_, clock_, platform::sim::EmulatorDeviceMaker()),
      // A request with SRB_EVENT_NOTIFY carries the caller's own event: a real one, set here.
      aspi_(
          scenario_, bus_,
          [](platform::HANDLE event) {
            ::SetEvent(platform::win32::FromHandleBits<::HANDLE>(event));
          },
          memory_) {}

}  // namespace korvel::testaspi
