#include <iostream>

#include "app/Machine.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/SgDeviceAccess.h"
#include "platform/linux/SysfsScsiDiscovery.h"
#include "transport/LinuxHostAdapters.h"

namespace korvel::app {

namespace {

class LinuxMachine : public Machine {
 public:
  explicit LinuxMachine(bool debugTrace)
      : platform_(debugTrace), adapters_(platform::linux_host::SysfsScsiDiscovery(), access_) {}

  ~LinuxMachine() override {
    // What the discovery left out (devices past the eighth host, nodes it could not open)
    // would otherwise go unexplained in a program whose only voice is its status line.
    for (const std::string& note : adapters_.notes())
      std::cerr << "korvel-upgrade: " << note << '\n';
    if (!adapters_.lastErrorText().empty()) {
      std::cerr << "korvel-upgrade: " << adapters_.lastErrorText() << '\n';
    }
  }

  platform::Platform& platform() override { return platform_.platform(); }
  transport::HostAdapterSource* hostAdapters() override { return &adapters_; }

 private:
  platform::linux_host::LinuxPlatform platform_;
  platform::linux_host::PosixSgDeviceAccess access_;
  transport::LinuxHostAdapters adapters_;
};

}  // namespace

std::unique_ptr<Machine> MakeLinuxMachine(const AppOptions& options) {
  return std::make_unique<LinuxMachine>(options.debugTrace);
}

}  // namespace korvel::app
