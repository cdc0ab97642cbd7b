#include "platform/win32/Win32MachinePower.h"

#include <memory>

#include "platform/WindowsPowerStatus.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {
namespace {

// The system is needed until the hold ends. Not ES_DISPLAY_REQUIRED (the screen may go dark
// while the drive works) and not ES_AWAYMODE_REQUIRED (a machine in away mode looks asleep to
// its user, who may then switch it off).
constexpr ::EXECUTION_STATE kStayAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;

class AwakeHold : public Hold {
 public:
  ~AwakeHold() override {
    // ES_CONTINUOUS alone clears what the thread asked for; the machine may sleep again.
    ::SetThreadExecutionState(ES_CONTINUOUS);
  }
};

}  // namespace

PowerReading Win32MachinePower::ReadPower() {
  ::SYSTEM_POWER_STATUS status{};
  if (!::GetSystemPowerStatus(&status)) return WindowsPowerReading(255, 255);
  return WindowsPowerReading(status.ACLineStatus, status.BatteryLifePercent);
}

HoldResult Win32MachinePower::KeepAwake(const std::string&, const std::string&) {
  HoldResult result;
  if (::SetThreadExecutionState(kStayAwake) == 0) {
    result.notes.push_back(
        "could not ask Windows to stay awake during the upgrade; keep the computer on until it "
        "has finished");
    return result;
  }
  result.hold = std::make_unique<AwakeHold>();
  return result;
}

}  // namespace korvel::platform::win32
