#include "platform/WindowsPowerStatus.h"

namespace korvel::platform {

PowerReading WindowsPowerReading(BYTE acLineStatus, BYTE batteryLifePercent) {
  PowerReading reading;
  reading.origin = "Windows";
  switch (acLineStatus) {
    case 0:
      reading.source = PowerReading::Source::Battery;
      // 255 is the documented "unknown"; anything else above 100 is no charge either.
      if (batteryLifePercent <= 100) reading.percent = batteryLifePercent;
      break;
    case 1:
      reading.source = PowerReading::Source::Mains;
      break;
    default:
      // 255 is "unknown status"; Windows defines no other value.
      reading.source = PowerReading::Source::Unknown;
      break;
  }
  return reading;
}

}  // namespace korvel::platform
