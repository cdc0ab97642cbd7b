// The guards' view of a simulated PC: what its scenario says of its power and of drives in use.
// A simulated run takes no lock, inhibitor or wake request of the host it runs on; it holds the
// process's signals, as the real machine does, since the process is real.
#pragma once

#include <functional>
#include <memory>

#include "machine/FlashHost.h"
#include "platform/sim/Scenario.h"

namespace korvel::machine {

class SimulatedFlashHost : public FlashHost {
 public:
  using ShieldMaker = std::function<std::unique_ptr<platform::SignalShield>(const std::string&)>;
  SimulatedFlashHost(platform::sim::FlashGuardSettings settings, ShieldMaker shields);

  std::string DriveName(transport::DeviceAddress address) override;
  platform::DriveUse UseOf(transport::DeviceAddress address) override;
  bool FlashedByAnother(transport::DeviceAddress address) override;
  platform::HoldResult HoldDrive(transport::DeviceAddress address) override;
  platform::PowerReading ReadPower() override { return settings_.power; }
  platform::HoldResult KeepAwake(const std::string&, const std::string&) override { return {}; }
  std::unique_ptr<platform::SignalShield> ShieldSignals(const std::string& program) override;

 private:
  const platform::sim::DriveUseSettings* SettingsOf(transport::DeviceAddress address) const;

  platform::sim::FlashGuardSettings settings_;
  ShieldMaker shields_;
};

}  // namespace korvel::machine
