#include "machine/LinuxMachine.h"

#include <algorithm>
#include <utility>

#include "machine/RealMachine.h"

namespace korvel::machine {

LinuxMachine::LinuxMachine(bool debugTrace)
    : LinuxMachine(debugTrace, platform::linux_host::SysfsScsiDiscovery(), "/proc/self/mounts") {}

LinuxMachine::LinuxMachine(bool debugTrace, platform::linux_host::SysfsScsiDiscovery discovery,
                           std::filesystem::path mountsFile)
    : LinuxMachine(debugTrace, std::move(discovery), std::move(mountsFile), LinuxFlashFiles{},
                   systemPower_) {}

// systemPower_ is made before flashHost_, which keeps only a reference to it.
LinuxMachine::LinuxMachine(bool debugTrace, platform::linux_host::SysfsScsiDiscovery discovery,
                           std::filesystem::path mountsFile, LinuxFlashFiles flashFiles,
                           platform::MachinePower& power)
    : platform_(debugTrace),
      adapters_(std::move(discovery), access_, std::move(mountsFile), &platform_.driveLetters()),
      flashHost_(adapters_, access_, power, std::move(flashFiles)) {}

std::unique_ptr<Machine> MakeRealMachine(bool debugTrace) {
  return std::make_unique<LinuxMachine>(debugTrace);
}

// Linux has no ASPI layer to blame: no transport here means that no sg node exists.
std::string LinuxMachine::NoTransportText() const {
  return "ERROR: no SCSI generic device (/dev/sg*) was found; load the sg module (modprobe sg) or "
         "attach a drive";
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
