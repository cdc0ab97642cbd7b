#include "platform/linux/LinuxMachinePower.h"

#include "platform/linux/LogindInhibitor.h"
#include "platform/linux/PowerSupplyClass.h"
#include "platform/linux/SystemBus.h"
#include "platform/linux/UPowerReading.h"

namespace korvel::platform::linux_host {

LinuxMachinePower::LinuxMachinePower(std::filesystem::path powerSupplyDir)
    : powerSupplyDir_(std::move(powerSupplyDir)) {}

// A connection for each question: the bus may come or go between them, and neither the reading
// nor the inhibitor needs the connection once answered.
PowerReading LinuxMachinePower::ReadPower() {
  if (std::optional<PowerReading> reading = ReadUPower(SystemBus::Open())) return *reading;
  return ReadPowerSupplyClass(powerSupplyDir_);
}

HoldResult LinuxMachinePower::KeepAwake(const std::string& who, const std::string& why) {
  return InhibitSleepAndShutdown(SystemBus::Open(), who, why);
}

}  // namespace korvel::platform::linux_host
