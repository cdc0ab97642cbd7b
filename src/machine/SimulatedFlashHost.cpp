#include "machine/SimulatedFlashHost.h"

#include <utility>

#include "machine/FlashGuardTexts.h"

namespace korvel::machine {
namespace {

// The simulated drive needs nothing held; the hold only marks the span.
class NothingHeld : public platform::Hold {};

}  // namespace

SimulatedFlashHost::SimulatedFlashHost(platform::sim::FlashGuardSettings settings,
                                       ShieldMaker shields)
    : settings_(std::move(settings)), shields_(std::move(shields)) {}

const platform::sim::DriveUseSettings* SimulatedFlashHost::SettingsOf(
    transport::DeviceAddress address) const {
  auto found = settings_.drives.find({address.adapter, address.target});
  return found == settings_.drives.end() ? nullptr : &found->second;
}

std::string SimulatedFlashHost::DriveName(transport::DeviceAddress address) {
  return std::to_string(address.adapter) + ":" + std::to_string(address.target);
}

platform::DriveUse SimulatedFlashHost::UseOf(transport::DeviceAddress address) {
  const platform::sim::DriveUseSettings* settings = SettingsOf(address);
  return settings ? settings->use : platform::DriveUse{};
}

bool SimulatedFlashHost::FlashedByAnother(transport::DeviceAddress address) {
  const platform::sim::DriveUseSettings* settings = SettingsOf(address);
  return settings && settings->flashedByAnother;
}

platform::HoldResult SimulatedFlashHost::HoldDrive(transport::DeviceAddress address) {
  platform::HoldResult result;
  if (FlashedByAnother(address)) {
    result.refusal = FlashedByAnotherText(DriveName(address));
  } else {
    result.hold = std::make_unique<NothingHeld>();
  }
  return result;
}

std::unique_ptr<platform::SignalShield> SimulatedFlashHost::ShieldSignals(
    const std::string& program) {
  return shields_ ? shields_(program) : nullptr;
}

}  // namespace korvel::machine
