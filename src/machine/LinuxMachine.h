// The real Linux machine: POSIX platform services and the SCSI devices sysfs lists, reached
// through SG_IO.
#pragma once

#include <filesystem>

#include "machine/LinuxFlashHost.h"
#include "machine/Machine.h"
#include "platform/linux/LinuxMachinePower.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/SgDeviceAccess.h"
#include "transport/LinuxHostAdapters.h"

namespace korvel::machine {

class LinuxMachine : public Machine {
 public:
  // The machine's power from its power daemon or the kernel, its sleep from logind.
  explicit LinuxMachine(bool debugTrace);
  // The devices of another sysfs and /dev tree (a test's), with another mounts table.
  LinuxMachine(bool debugTrace, platform::linux_host::SysfsScsiDiscovery discovery,
               std::filesystem::path mountsFile);
  // Also the mount table and processes of `flashFiles`, and the machine's power from `power`.
  LinuxMachine(bool debugTrace, platform::linux_host::SysfsScsiDiscovery discovery,
               std::filesystem::path mountsFile, LinuxFlashFiles flashFiles,
               platform::MachinePower& power);

  platform::Platform& platform() override { return platform_.platform(); }
  transport::HostAdapterSource* hostAdapters() override { return &adapters_; }
  std::string NoTransportText() const override;
  std::string NoTransportHint() const override;
  std::vector<std::string> Notes() const override;
  bool CouldOpenNoDevice() const override { return adapters_.CouldOpenNoNode(); }
  std::string LocationOf(std::uint8_t adapter, std::uint8_t target) const override;
  FlashHost* flashHost() override { return &flashHost_; }
  std::vector<std::pair<transport::DeviceAddress, std::string>> DrivesHeldElsewhere()
      const override {
    return adapters_.HeldElsewhere();
  }

 private:
  platform::linux_host::LinuxPlatform platform_;
  platform::linux_host::PosixSgDeviceAccess access_;
  transport::LinuxHostAdapters adapters_;
  platform::linux_host::LinuxMachinePower systemPower_;
  LinuxFlashHost flashHost_;
};

}  // namespace korvel::machine
