// What Windows says of the machine's power (GetSystemPowerStatus), as the guards read it.
#pragma once

#include "platform/FlashFacts.h"
#include "platform/WinTypes.h"

namespace korvel::platform {

// SYSTEM_POWER_STATUS's ACLineStatus and BatteryLifePercent; 255 is "unknown" in both.
PowerReading WindowsPowerReading(BYTE acLineStatus, BYTE batteryLifePercent);

}  // namespace korvel::platform
