// A machine's guard facts and holds from the test's hand, with a log of what was asked for and
// let go, in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine/FlashHost.h"

namespace korvel::machine::testing {

class FakeFlashHost : public FlashHost {
 public:
  // The answers; `uses` are handed out one per UseOf, the last one again and again.
  std::string name = "1:0 (/dev/sg3, /dev/sr1)";
  std::vector<platform::DriveUse> uses{platform::DriveUse{}};
  bool flashedByAnother = false;
  std::string driveRefusal;
  std::vector<std::string> driveNotes;
  platform::PowerReading power;
  std::vector<std::string> awakeNotes;
  bool awakeGiven = true;
  bool shieldGiven = true;
  bool signalBeforeWriting = false;
  int signal = 0;

  std::vector<std::string> log;
  int useLooks = 0;

  std::string DriveName(transport::DeviceAddress) override { return name; }
  platform::DriveUse UseOf(transport::DeviceAddress) override {
    log.push_back("use");
    const std::size_t at = std::min<std::size_t>(useLooks++, uses.size() - 1);
    return uses[at];
  }
  bool FlashedByAnother(transport::DeviceAddress) override {
    log.push_back("lock?");
    return flashedByAnother;
  }
  platform::HoldResult HoldDrive(transport::DeviceAddress) override {
    log.push_back("hold drive");
    platform::HoldResult result;
    result.notes = driveNotes;
    if (!driveRefusal.empty()) {
      result.refusal = driveRefusal;
    } else {
      result.hold = std::make_unique<LoggedHold>(log, "drive let go");
    }
    return result;
  }
  platform::PowerReading ReadPower() override {
    log.push_back("power");
    return power;
  }
  platform::HoldResult KeepAwake(const std::string& who, const std::string& why) override {
    log.push_back("awake " + who + ": " + why);
    platform::HoldResult result;
    result.notes = awakeNotes;
    if (awakeGiven) result.hold = std::make_unique<LoggedHold>(log, "awake let go");
    return result;
  }
  std::unique_ptr<platform::SignalShield> ShieldSignals(const std::string& program) override {
    log.push_back("shield " + program);
    if (!shieldGiven) return nullptr;
    return std::make_unique<LoggedShield>(*this);
  }

 private:
  class LoggedHold : public platform::Hold {
   public:
    LoggedHold(std::vector<std::string>& log, std::string release)
        : log_(log), release_(std::move(release)) {}
    ~LoggedHold() override { log_.push_back(release_); }

   private:
    std::vector<std::string>& log_;
    std::string release_;
  };

  class LoggedShield : public platform::SignalShield {
   public:
    explicit LoggedShield(FakeFlashHost& host) : host_(host) {}
    ~LoggedShield() override { host_.log.push_back("shield lowered"); }
    bool HoldFromNow() override {
      host_.log.push_back("hold signals");
      return !host_.signalBeforeWriting;
    }
    int Arrived() const override { return host_.signal; }

   private:
    FakeFlashHost& host_;
  };
};

}  // namespace korvel::machine::testing
