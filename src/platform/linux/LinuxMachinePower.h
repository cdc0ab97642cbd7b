// The Linux machine's power and sleep: the power daemon and the session manager over the system
// bus, and the kernel's power supply class where the power daemon is not there.
#pragma once

#include <filesystem>
#include <string>

#include "platform/MachinePower.h"

namespace korvel::platform::linux_host {

class LinuxMachinePower : public MachinePower {
 public:
  explicit LinuxMachinePower(std::filesystem::path powerSupplyDir = "/sys/class/power_supply");

  PowerReading ReadPower() override;
  HoldResult KeepAwake(const std::string& who, const std::string& why) override;

 private:
  std::filesystem::path powerSupplyDir_;
};

}  // namespace korvel::platform::linux_host
