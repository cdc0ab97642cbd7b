#include "transport/LinuxHostAdapters.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "formats/SenseLayout.h"
#include "platform/linux/MountTable.h"
#include "transport/LinuxSgCommand.h"

namespace korvel::transport {

namespace {

using platform::linux_host::SysfsScsiDevice;

constexpr int kTypeWorm = 4;
constexpr int kTypeCdDvd = 5;
constexpr std::uint8_t kWriteBuffer = 0x3B;
constexpr std::uint8_t kRezeroUnit = 0x01;
constexpr std::uint8_t kRequestSense = 0x03;
constexpr int kCheckCondition = 0x02;

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
  } else if (opcode == kRezeroUnit) {
    std::snprintf(text, sizeof text, "REZERO UNIT (0x%02X)", opcode);
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
  for (std::string& failure : openFailures_) failure.clear();

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

// Only a group that may read and write the node is worth joining; with none, the node's rights
// themselves have to change.
std::string LinuxHostAdapters::PermissionHint(const LinuxDeviceNode& node) {
  const std::string& path = node.commandNode;
  const platform::linux_host::NodeRights rights = access_.RightsOf(path);
  std::string hint;
  if (rights.groupMayWrite && !rights.group.empty()) {
    hint =
        "Run as root, or as a member of the group '" + rights.group + "' that owns " + path + ".";
  } else if (rights.othersMayWrite) {
    hint = "Run as root.";
  } else {
    hint = "Run as root, or give your user read and write access to " + path +
           (rights.group.empty() ? "" : " (its group '" + rights.group + "' may not write it)") +
           ".";
  }
  if (node.sgNode.empty()) hint += " " + BlockNodeUpgradeHint(path);
  return hint;
}

// The kernel filters the commands sent through a block device node: those it does not know as
// harmless, WRITE BUFFER and REZERO UNIT among them, need CAP_SYS_RAWIO whatever the node's
// rights. The sg node has no such filter.
std::string LinuxHostAdapters::BlockNodeUpgradeHint(const std::string& path) {
  return "Through a block device node such as " + path +
         ", an upgrade's WRITE BUFFER and REZERO UNIT also need the CAP_SYS_RAWIO capability "
         "(root); load the SCSI generic driver (modprobe sg) to upgrade through /dev/sg* with read "
         "and write access alone.";
}

void LinuxHostAdapters::DescribeOpenFailure(int slot, const std::string& node, int error) {
  if (IsPermissionError(error)) {
    lastErrorText_ = "Permission denied opening " + node + ". " + PermissionHint(*nodes_[slot]);
  } else {
    lastErrorText_ = "Cannot open " + node + ": " + std::strerror(error) + ".";
  }
  openFailures_[slot] = lastErrorText_;
}

void LinuxHostAdapters::DescribeCommandFailure(const std::string& node,
                                               const CommandRequest& request, int slot,
                                               int systemError, std::uint8_t hostStatus,
                                               std::uint8_t driverStatus) {
  const bool blockNode = nodes_[slot]->sgNode.empty();
  if (systemError == EPERM && blockNode && !readOnly_[slot]) {
    lastErrorText_ = CommandName(request.cdb[0]) + " was refused on " + node +
                     " although it is open for reading and writing: the kernel lets only a "
                     "process with the CAP_SYS_RAWIO capability send it through a block device "
                     "node. Run as root, or load the SCSI generic driver (modprobe sg) and use "
                     "the drive's /dev/sg* node with read and write access.";
  } else if (systemError != 0 && IsPermissionError(systemError)) {
    lastErrorText_ = CommandName(request.cdb[0]) + " was refused on " + node +
                     (readOnly_[slot] ? ", which could only be opened for reading" : "") +
                     ": it needs write access. " + PermissionHint(*nodes_[slot]);
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

// Some low-level drivers (sym53c8xx for one) fetch the sense of a failed command themselves, so
// a REQUEST SENSE sent after the failure finds the drive with nothing to say and the reason for
// the refusal would be lost. The sense that came back with the failed command is what the drive
// would have answered; it takes the place of an answer that says "no sense". Bytes the drive did
// not send count as zero; `received` grows by the bytes handed over.
void LinuxHostAdapters::HandOverConsumedSense(int slot, const CommandRequest& request,
                                              std::uint32_t& received) {
  namespace layout = formats::sense_layout;
  const std::vector<std::uint8_t>& pending = pendingSense_[slot];
  if (pending.empty() || request.buffer == nullptr || request.length <= layout::kSenseKey) return;
  const auto byte = [&](std::size_t offset) -> std::uint8_t {
    return offset < received ? request.buffer[offset] : 0;
  };
  const bool noSense =
      (byte(layout::kSenseKey) & 0x0F) == 0 &&
      (request.length <= layout::kAscq || (byte(layout::kAsc) == 0 && byte(layout::kAscq) == 0));
  if (!noSense) return;
  const std::size_t count = std::min<std::size_t>(request.length, pending.size());
  std::copy_n(pending.begin(), count, request.buffer);
  received = std::max(received, static_cast<std::uint32_t>(count));
}

std::vector<std::string> LinuxHostAdapters::openFailures() const {
  std::vector<std::string> failures;
  for (const std::string& failure : openFailures_) {
    if (!failure.empty()) failures.push_back(failure);
  }
  return failures;
}

bool LinuxHostAdapters::CouldOpenNoNode() const {
  bool anyMapped = false;
  for (std::size_t slot = 0; slot < nodes_.size(); ++slot) {
    if (!nodes_[slot]) continue;
    anyMapped = true;
    if (descriptors_[slot] >= 0 || openFailures_[slot].empty()) return false;
  }
  return anyMapped;
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
    DescribeOpenFailure(slot, node, error);
    return -1;
  }
  openFailures_[slot].clear();
  descriptors_[slot] = fd;
  return fd;
}

BackendOutcome LinuxHostAdapters::Execute(const CommandRequest& request) {
  std::optional<int> slot = SlotOf(request.adapter, request.target);
  if (!slot || !nodes_[*slot]) return BackendOutcome{kLinuxStatusNoDevice, std::nullopt};
  const int fd = OpenNode(*slot);
  if (fd < 0) return BackendOutcome{kLinuxStatusNoDevice, std::nullopt};
  // The kernel hands a data-in buffer back whole, zeroed where the drive sent nothing, also when
  // the command failed: the drive reads into a buffer of our own, and the caller gets only what a
  // good command sent.
  CommandRequest lent = request;
  const bool lend = !request.dataOut && request.length > 0 && request.buffer != nullptr;
  if (lend) {
    if (lent_.size() < request.length) lent_.resize(request.length);
    lent.buffer = lent_.data();
  }
  SgCommandResult result = SendSgCommand(access_, fd, lent);
  if (result.systemError != 0 || result.outcome.status >= kLinuxStatusHostError) {
    DescribeCommandFailure(nodes_[*slot]->commandNode, request, *slot, result.systemError,
                           result.hostStatus, result.driverStatus);
  }
  std::uint32_t received = result.transferred;
  if (request.cdb[0] == kRequestSense && result.outcome.status == 1) {
    HandOverConsumedSense(*slot, lent, received);
  }
  if (lend && result.outcome.status == 1) {
    std::copy_n(lent_.begin(), std::min(received, request.length), request.buffer);
  }
  pendingSense_[*slot].clear();
  if (result.outcome.status == kCheckCondition &&
      result.senseLength > formats::sense_layout::kAscq) {
    pendingSense_[*slot].assign(result.senseBytes.begin(),
                                result.senseBytes.begin() + result.senseLength);
  }
  return result.outcome;
}

}  // namespace korvel::transport
