#include "machine/FlashGuards.h"

#include <memory>
#include <thread>
#include <utility>

#include "machine/FlashGuardTexts.h"

namespace korvel::machine {
namespace {

// Everything a flash holds. Let go in this order: the drive, for other programs, then the
// machine's wake request, and the shield last, so that signals stay held until all is let go.
class HeldFlash : public upgrade::FlashHold {
 public:
  HeldFlash(std::unique_ptr<platform::SignalShield> shield, std::unique_ptr<platform::Hold> drive,
            std::unique_ptr<platform::Hold> awake)
      : shield_(std::move(shield)), awake_(std::move(awake)), drive_(std::move(drive)) {}

  bool BeginWriting() override { return !shield_ || shield_->HoldFromNow(); }
  int HeldSignal() const override { return shield_ ? shield_->Arrived() : 0; }

 private:
  std::unique_ptr<platform::SignalShield> shield_;
  std::unique_ptr<platform::Hold> awake_;
  std::unique_ptr<platform::Hold> drive_;
};

}  // namespace

FlashGuards::FlashGuards(FlashHost& host, FlashGuardOptions options)
    : host_(host), options_(std::move(options)) {
  if (!options_.sleep) {
    options_.sleep = [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); };
  }
}

void FlashGuards::Note(const std::string& text) {
  if (options_.note) options_.note(text);
}

std::string FlashGuards::PowerRefusal() {
  if (options_.ignorePower) return {};
  const platform::PowerReading power = host_.ReadPower();
  // A battery whose charge cannot be read is given the benefit of the doubt, as a machine that
  // says nothing about its power is.
  if (power.source != platform::PowerReading::Source::Battery || power.percent < 0 ||
      power.percent >= kLowestBatteryPercent) {
    return {};
  }
  return LowBatteryText(power, kLowestBatteryPercent);
}

std::vector<std::string> FlashGuards::UseRefusals(transport::DeviceAddress address,
                                                  const platform::DriveUse& use) {
  const std::string drive = host_.DriveName(address);
  std::vector<std::string> refusals;
  if (!use.mountPoints.empty()) refusals.push_back(MountedText(drive, use.mountPoints));
  if (!use.processes.empty()) refusals.push_back(InUseText(drive, use.processes));
  if (use.othersUnchecked) Note(OthersUncheckedText(drive));
  return refusals;
}

std::vector<std::string> FlashGuards::Preview(transport::DeviceAddress address) {
  std::vector<std::string> refusals;
  if (std::string power = PowerRefusal(); !power.empty()) refusals.push_back(std::move(power));
  if (host_.FlashedByAnother(address)) {
    refusals.push_back(FlashedByAnotherText(host_.DriveName(address)));
    return refusals;
  }
  for (std::string& refusal : UseRefusals(address, host_.UseOf(address)))
    refusals.push_back(std::move(refusal));
  return refusals;
}

upgrade::FlashHoldResult FlashGuards::Hold(transport::DeviceAddress address) {
  upgrade::FlashHoldResult result;
  if (result.refusal = PowerRefusal(); !result.refusal.empty()) return result;
  if (host_.FlashedByAnother(address)) {
    result.refusal = FlashedByAnotherText(host_.DriveName(address));
    return result;
  }
  // A mounted file system is refused before the drive is touched.
  platform::DriveUse use = host_.UseOf(address);
  if (!use.mountPoints.empty()) {
    result.refusal = MountedText(host_.DriveName(address), use.mountPoints);
    return result;
  }
  // The drive is held before the look at other processes: of two Korvel programs that go for
  // the drive together, the one that loses its lock is told so at once and lets go, and the
  // other then finds the drive free.
  platform::HoldResult drive = host_.HoldDrive(address);
  for (const std::string& note : drive.notes) Note(note);
  if (!drive.refusal.empty()) {
    result.refusal = drive.refusal;
    return result;
  }
  // A process still on the drive may be one that is letting go of it; a file system mounted
  // meanwhile does not go away by itself.
  use = host_.UseOf(address);
  for (auto waited = std::chrono::milliseconds(0);
       use.mountPoints.empty() && !use.processes.empty() && waited < kInUseGrace;
       waited += kInUseRetry) {
    options_.sleep(kInUseRetry);
    use = host_.UseOf(address);
  }
  if (std::vector<std::string> refusals = UseRefusals(address, use); !refusals.empty()) {
    result.refusal = refusals.front();
    return result;
  }
  platform::HoldResult awake =
      host_.KeepAwake(options_.program, KeepAwakeReason(host_.DriveName(address)));
  for (const std::string& note : awake.notes) Note(note);
  result.hold = std::make_unique<HeldFlash>(host_.ShieldSignals(options_.program),
                                            std::move(drive.hold), std::move(awake.hold));
  return result;
}

}  // namespace korvel::machine
