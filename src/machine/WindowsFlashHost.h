// The guards' view of the real Windows machine: its power, its wake requests, a flash lock that
// every Korvel program honours and the console's interrupts. Windows shows no cheap, reliable
// view of who else has a drive open, so nothing is known of the drive's other users.
#pragma once

#include "machine/FlashHost.h"
#include "platform/win32/Win32MachinePower.h"

namespace korvel::machine {

// The name of the flash lock of a drive, the same in every Korvel program and every session.
std::string WindowsFlashLockName(transport::DeviceAddress address);

class WindowsFlashHost : public FlashHost {
 public:
  // Drives are known by their address alone: the letter is the transport's to find.
  std::string DriveName(transport::DeviceAddress address) override;
  platform::DriveUse UseOf(transport::DeviceAddress) override { return {}; }
  bool FlashedByAnother(transport::DeviceAddress address) override;
  // The lock is owned by the calling thread, and the hold must be destroyed there.
  platform::HoldResult HoldDrive(transport::DeviceAddress address) override;
  platform::PowerReading ReadPower() override { return power_.ReadPower(); }
  platform::HoldResult KeepAwake(const std::string& who, const std::string& why) override {
    return power_.KeepAwake(who, why);
  }
  std::unique_ptr<platform::SignalShield> ShieldSignals(const std::string& program) override;

 private:
  platform::win32::Win32MachinePower power_;
};

}  // namespace korvel::machine
