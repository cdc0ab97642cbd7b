// What the real Linux machine tells and holds around a flash of one of its drives: the drive's
// mounts and the processes that hold its nodes, the flash lock and the drive held alone, the
// machine's power through the power services it was given, and the signal shield.
#pragma once

#include <filesystem>
#include <string>

#include "machine/FlashHost.h"
#include "platform/MachinePower.h"
#include "platform/linux/SgDeviceAccess.h"
#include "transport/LinuxHostAdapters.h"

namespace korvel::machine {

// Where the system shows mounts and processes; a test's own files instead of the real ones.
struct LinuxFlashFiles {
  std::filesystem::path mountInfoFile = "/proc/self/mountinfo";
  std::filesystem::path procRoot = "/proc";
};

class LinuxFlashHost : public FlashHost {
 public:
  LinuxFlashHost(transport::LinuxHostAdapters& adapters,
                 platform::linux_host::SgDeviceAccess& access, platform::MachinePower& power,
                 LinuxFlashFiles files = {});

  std::string DriveName(transport::DeviceAddress address) override;
  platform::DriveUse UseOf(transport::DeviceAddress address) override;
  bool FlashedByAnother(transport::DeviceAddress address) override;
  platform::HoldResult HoldDrive(transport::DeviceAddress address) override;
  platform::PowerReading ReadPower() override { return power_.ReadPower(); }
  platform::HoldResult KeepAwake(const std::string& who, const std::string& why) override {
    return power_.KeepAwake(who, why);
  }
  // Null while another shield is raised in this process.
  std::unique_ptr<platform::SignalShield> ShieldSignals(const std::string& program) override;

 private:
  transport::LinuxHostAdapters& adapters_;
  platform::linux_host::SgDeviceAccess& access_;
  platform::MachinePower& power_;
  LinuxFlashFiles files_;
};

}  // namespace korvel::machine
