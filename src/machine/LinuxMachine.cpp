#include "machine/LinuxMachine.h"

#include <algorithm>

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
  // Every node that could not be opened is named, not only the last one tried.
  const std::vector<std::string> failures = adapters_.openFailures();
  notes.insert(notes.end(), failures.begin(), failures.end());
  const std::string& last = adapters_.lastErrorText();
  if (!last.empty() && std::find(failures.begin(), failures.end(), last) == failures.end()) {
    notes.push_back(last);
  }
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
