#include "transport/LinuxHostAdapters.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/linux/MountTable.h"
#include "transport/LinuxSgCommand.h"

namespace korvel::transport {

namespace {

using platform::linux_host::SysfsScsiDevice;

constexpr int kTypeWorm = 4;
constexpr int kTypeCdDvd = 5;
constexpr std::uint8_t kWriteBuffer = 0x3B;

class LinuxSgBackend : public CommandBackend {
 public:
  explicit LinuxSgBackend(LinuxHostAdapters& host) : host_(host) {}
  BackendOutcome Execute(const CommandRequest& request) override { return host_.Execute(request); }

 private:
  LinuxHostAdapters& host_;
};

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  return text;
}

std::string Describe(const SysfsScsiDevice& device) {
  char address[64];
  std::snprintf(address, sizeof address, "%d:%d:%d:%d", device.host, device.channel, device.target,
                device.lun);
  return std::string(address) + " (" + Trimmed(device.vendor) + " " + Trimmed(device.product) + ")";
}

bool IsPermissionError(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

std::string CommandName(std::uint8_t opcode) {
  char text[48];
  if (opcode == kWriteBuffer) {
    std::snprintf(text, sizeof text, "WRITE BUFFER (0x%02X)", opcode);
  } else {
    std::snprintf(text, sizeof text, "the command 0x%02X", opcode);
  }
  return text;
}

}  // namespace

LinuxHostAdapters::LinuxHostAdapters(platform::linux_host::SysfsScsiDiscovery discovery,
                                     platform::linux_host::SgDeviceAccess& access,
                                     std::filesystem::path mountsFile,
                                     platform::linux_host::DriveLetterTable* letters)
    : discovery_(std::move(discovery)),
      access_(access),
      mountsFile_(std::move(mountsFile)),
      letters_(letters) {
  descriptors_.fill(-1);
}

LinuxHostAdapters::~LinuxHostAdapters() {
  for (int fd : descriptors_) {
    if (fd >= 0) access_.Close(fd);
  }
}

int LinuxHostAdapters::MapAdapters() {
  hostOfAdapter_.clear();
  nodes_.fill(std::nullopt);
  notes_.clear();

  const platform::linux_host::SysfsScsiDiscovery::Scan scan = discovery_.ScanDevices();
  notes_ = scan.skipped;
  std::vector<SysfsScsiDevice> usable;
  for (const SysfsScsiDevice& device : scan.devices) {
    // Disks and everything else that is no optical drive are none of this program's business.
    if (device.peripheralType != kTypeCdDvd && device.peripheralType != kTypeWorm) continue;
    const char* reason = nullptr;
    if (device.lun != 0) {
      reason = "logical unit above 0 cannot be addressed";
    } else if (device.channel != 0) {
      reason = "channel above 0 cannot be addressed";
    } else if (device.target >= kTargetsPerAdapter) {
      reason = "target ID above 15 cannot be addressed";
    } else if (device.sgNode.empty() && device.blockNode.empty()) {
      reason = "no sg or block device node to reach it through";
    }
    if (reason != nullptr) {
      notes_.push_back(Describe(device) + ": " + reason);
      continue;
    }
    if (std::find(hostOfAdapter_.begin(), hostOfAdapter_.end(), device.host) ==
        hostOfAdapter_.end()) {
      hostOfAdapter_.push_back(device.host);
    }
    usable.push_back(device);
  }

  std::sort(hostOfAdapter_.begin(), hostOfAdapter_.end());
  for (const SysfsScsiDevice& device : usable) {
    const auto at = std::find(hostOfAdapter_.begin(), hostOfAdapter_.end(), device.host);
    const auto adapter = static_cast<int>(at - hostOfAdapter_.begin());
    if (adapter >= kMaxAdapters) {
      notes_.push_back(Describe(device) + ": host " + std::to_string(device.host) +
                       " is beyond the 8 host adapters that can be addressed");
      continue;
    }
    LinuxDeviceNode node;
    node.host = device.host;
    node.target = device.target;
    node.sgNode = device.sgNode;
    node.blockNode = device.blockNode;
    node.commandNode = device.sgNode.empty() ? device.blockNode : device.sgNode;
    nodes_[adapter * kTargetsPerAdapter + device.target] = node;
  }
  if (hostOfAdapter_.size() > kMaxAdapters) hostOfAdapter_.resize(kMaxAdapters);
  HandOutLetters();
  return static_cast<int>(hostOfAdapter_.size());
}

void LinuxHostAdapters::HandOutLetters() {
  if (letters_ != nullptr) letters_->Clear();
  char next = kFirstLinuxDriveLetter;
  for (auto& node : nodes_) {
    if (!node) continue;
    if (next > kLastLinuxDriveLetter) {
      notes_.push_back("Linux SCSI host " + std::to_string(node->host) + ", " + node->commandNode +
                       ": no drive letter left after Z:");
      continue;
    }
    node->letter = next++;
    if (letters_ != nullptr) letters_->Assign(node->letter, node->blockNode);
  }
}

std::int32_t LinuxHostAdapters::DriveIndexOf(std::uint8_t adapter, std::uint8_t target) const {
  std::optional<int> slot = SlotOf(adapter, target);
  if (!slot || !nodes_[*slot] || nodes_[*slot]->letter == 0) return -1;
  return nodes_[*slot]->letter - 'A';
}

std::unique_ptr<CommandBackend> LinuxHostAdapters::MakeBackend() {
  return std::make_unique<LinuxSgBackend>(*this);
}

std::optional<LinuxDeviceNode> LinuxHostAdapters::DeviceNodeOf(std::uint8_t adapter,
                                                               std::uint8_t target) const {
  std::optional<int> slot = SlotOf(adapter, target);
  if (!slot || !nodes_[*slot]) return std::nullopt;
  LinuxDeviceNode node = *nodes_[*slot];
  if (!node.blockNode.empty()) {
    node.mountPoint = platform::linux_host::MountPointOf(node.blockNode, mountsFile_);
  }
  return node;
}

std::optional<int> LinuxHostAdapters::HostOf(std::uint8_t adapter) const {
  if (adapter >= hostOfAdapter_.size()) return std::nullopt;
  return hostOfAdapter_[adapter];
}

std::string LinuxHostAdapters::PermissionHint(const std::string& node) {
  const std::string group = access_.GroupOf(node);
  if (group.empty()) {
    return "Run as root, or as a user with read and write access to " + node + ".";
  }
  return "Run as root, or as a member of the group '" + group + "' that owns " + node + ".";
}

void LinuxHostAdapters::DescribeOpenFailure(const std::string& node, int error) {
  if (IsPermissionError(error)) {
    lastErrorText_ = "Permission denied opening " + node + ". " + PermissionHint(node);
  } else {
    lastErrorText_ = "Cannot open " + node + ": " + std::strerror(error) + ".";
  }
}

void LinuxHostAdapters::DescribeCommandFailure(const std::string& node,
                                               const CommandRequest& request, int slot,
                                               int systemError, std::uint8_t hostStatus,
                                               std::uint8_t driverStatus) {
  if (systemError != 0 && IsPermissionError(systemError)) {
    lastErrorText_ = CommandName(request.cdb[0]) + " was refused on " + node +
                     (readOnly_[slot] ? ", which could only be opened for reading" : "") +
                     ": it needs write access. " + PermissionHint(node);
  } else if (systemError != 0) {
    lastErrorText_ = "SG_IO on " + node + " failed: " + std::strerror(systemError) + ".";
  } else {
    char text[160];
    std::snprintf(text, sizeof text,
                  "The host adapter could not carry out %s on %s (host status 0x%02X, driver "
                  "status 0x%02X).",
                  CommandName(request.cdb[0]).c_str(), node.c_str(), hostStatus, driverStatus);
    lastErrorText_ = text;
  }
}

int LinuxHostAdapters::OpenNode(int slot) {
  if (descriptors_[slot] >= 0) return descriptors_[slot];
  const std::string& node = nodes_[slot]->commandNode;
  int error = 0;
  // O_NONBLOCK lets a drive without a disc be opened at all.
  int fd = access_.Open(node, O_RDWR | O_NONBLOCK, error);
  if (fd < 0 && IsPermissionError(error)) {
    // Reading rights are enough to identify a drive; commands that change it are refused by the
    // kernel later, with their own message.
    int readError = 0;
    fd = access_.Open(node, O_RDONLY | O_NONBLOCK, readError);
    if (fd >= 0) readOnly_[slot] = true;
  }
  if (fd < 0) {
    DescribeOpenFailure(node, error);
    return -1;
  }
  descriptors_[slot] = fd;
  return fd;
}

BackendOutcome LinuxHostAdapters::Execute(const CommandRequest& request) {
  std::optional<int> slot = SlotOf(request.adapter, request.target);
  if (!slot || !nodes_[*slot]) return BackendOutcome{kLinuxStatusNoDevice, std::nullopt};
  const int fd = OpenNode(*slot);
  if (fd < 0) return BackendOutcome{kLinuxStatusNoDevice, std::nullopt};
  SgCommandResult result = SendSgCommand(access_, fd, request);
  if (result.systemError != 0 || result.outcome.status >= kLinuxStatusHostError) {
    DescribeCommandFailure(nodes_[*slot]->commandNode, request, *slot, result.systemError,
                           result.hostStatus, result.driverStatus);
  }
  return result.outcome;
}

}  // namespace korvel::transport
