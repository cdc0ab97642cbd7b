#include "emulator/DeviceFactory.h"

#include "emulator/drive/KorvelDrive.h"
#include "emulator/drive/OtherMakerDevice.h"

namespace korvel::emulator {

std::unique_ptr<ScsiTarget> MakeDevice(const DeviceConfig& config, Clock& clock) {
  if (config.maker == Maker::Korvel) return std::make_unique<KorvelDrive>(config, clock);
  return std::make_unique<OtherMakerDevice>(config, clock);
}

}  // namespace korvel::emulator
