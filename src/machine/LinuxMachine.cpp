#include "machine/LinuxMachine.h"

#include "machine/RealMachine.h"

namespace korvel::machine {

LinuxMachine::LinuxMachine(bool debugTrace)
    : platform_(debugTrace),
      adapters_(platform::linux_host::SysfsScsiDiscovery(), access_, "/proc/self/mounts",
                &platform_.driveLetters()) {}

std::unique_ptr<Machine> MakeRealMachine(bool debugTrace) {
  return std::make_unique<LinuxMachine>(debugTrace);
}

std::string LinuxMachine::NoTransportHint() const {
  return "No SCSI transport: no ASPI, no NT pass-through and no SCSI generic devices (/dev/sg*) "
         "on this machine.";
}

std::vector<std::string> LinuxMachine::Notes() const {
  std::vector<std::string> notes = adapters_.notes();
  if (!adapters_.lastErrorText().empty()) notes.push_back(adapters_.lastErrorText());
  return notes;
}

std::string LinuxMachine::LocationOf(std::uint8_t adapter, std::uint8_t target) const {
  std::optional<transport::LinuxDeviceNode> node = adapters_.DeviceNodeOf(adapter, target);
  if (!node) return {};
  std::string text = "Linux SCSI host " + std::to_string(node->host) + ", " + node->commandNode;
  if (!node->blockNode.empty() && node->blockNode != node->commandNode) {
    text += ", " + node->blockNode;
  }
  if (node->letter != 0) text += ", drive " + std::string(1, node->letter) + ":";
  if (!node->mountPoint.empty()) text += " mounted at " + node->mountPoint;
  return text;
}

}  // namespace korvel::machine
