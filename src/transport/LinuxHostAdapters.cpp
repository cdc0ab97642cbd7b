#include "transport/LinuxHostAdapters.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "formats/SenseLayout.h"
#include "platform/linux/MountTable.h"
#include "platform/linux/ProcessHolders.h"
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

// The sg driver refuses an exclusive open while any other descriptor of the node is open.
// Another Korvel program that lost the race for the flash lock closes its own at once, so a
// short wait is worth it; a program that keeps the drive open does not let go within it.
constexpr auto kExclusiveRetryWait = std::chrono::milliseconds(100);
constexpr int kExclusiveRetries = 30;
// A program that only looks whether the lock is taken holds it shared for an instant; one that
// flashes holds it for minutes.
constexpr int kLockRetries = 2;

class DriveHold : public platform::Hold {
 public:
  explicit DriveHold(std::function<void()> release) : release_(std::move(release)) {}
  ~DriveHold() override { release_(); }
  DriveHold(const DriveHold&) = delete;
  DriveHold& operator=(const DriveHold&) = delete;

 private:
  std::function<void()> release_;
};

void Wait(const FlashHoldOptions& options, std::chrono::milliseconds span) {
  if (options.sleep) {
    options.sleep(span);
  } else {
    std::this_thread::sleep_for(span);
  }
}

std::string Holder(const platform::ProcessUse& process) {
  std::string text = "PID " + std::to_string(process.pid);
  if (!process.program.empty()) text += " (" + process.program + ")";
  return text;
}

// "is held open by another program: PID 4242 (wodim); close it and try again"
std::string HeldOpenText(const platform::DriveUse& use) {
  std::string text = " is held open by ";
  const std::size_t count = use.processes.size();
  text += count > 1 ? "other programs: " : count == 1 ? "another program: " : "another program";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += ", ";
    text += Holder(use.processes[i]);
  }
  text += count > 1 ? "; close them and try again" : "; close it and try again";
  if (use.othersUnchecked) text += " (other users' processes could not be checked)";
  return text;
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
  if (error == EBUSY) {
    // The sg driver's answer while another program has the node open exclusively.
    if (FlashLockHeldElsewhere(slot)) {
      lastErrorText_ = "Cannot open " + node + ": another program is flashing drive " +
                       DriveNameOf(slot) + "; wait until it has finished.";
    } else {
      lastErrorText_ = "Cannot open " + node + ": drive " + DriveNameOf(slot) +
                       " is held exclusively by another program, probably one flashing it; wait "
                       "until it has finished.";
    }
  } else if (IsPermissionError(error)) {
    lastErrorText_ = "Permission denied opening " + node + ". " + PermissionHint(*nodes_[slot]);
  } else {
    lastErrorText_ = "Cannot open " + node + ": " + std::strerror(error) + ".";
  }
  openFailures_[slot] = lastErrorText_;
  heldElsewhere_[slot] = error == EBUSY;
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

std::vector<std::pair<DeviceAddress, std::string>> LinuxHostAdapters::HeldElsewhere() const {
  std::vector<std::pair<DeviceAddress, std::string>> held;
  for (int slot = 0; slot < kAddressSlots; ++slot) {
    if (!heldElsewhere_[slot] || openFailures_[slot].empty()) continue;
    held.emplace_back(DeviceAddress{static_cast<std::uint8_t>(slot / kTargetsPerAdapter),
                                    static_cast<std::uint8_t>(slot % kTargetsPerAdapter)},
                      openFailures_[slot]);
  }
  return held;
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

std::string LinuxHostAdapters::DriveNameOf(std::uint8_t adapter, std::uint8_t target) const {
  if (std::optional<int> slot = SlotOf(adapter, target); slot && nodes_[*slot]) {
    return DriveNameOf(*slot);
  }
  return std::to_string(adapter) + ":" + std::to_string(target);
}

std::string LinuxHostAdapters::DriveNameOf(int slot) const {
  std::string name =
      std::to_string(slot / kTargetsPerAdapter) + ":" + std::to_string(slot % kTargetsPerAdapter);
  if (!nodes_[slot]) return name;
  std::string nodes = nodes_[slot]->sgNode;
  if (!nodes_[slot]->blockNode.empty()) {
    nodes += (nodes.empty() ? "" : ", ") + nodes_[slot]->blockNode;
  }
  return nodes.empty() ? name : name + " (" + nodes + ")";
}

bool LinuxHostAdapters::FlashLockHeldElsewhere(std::uint8_t adapter, std::uint8_t target) {
  std::optional<int> slot = SlotOf(adapter, target);
  return slot && nodes_[*slot] && FlashLockHeldElsewhere(*slot);
}

// A shared lock is refused only while someone holds the exclusive one; taken, it is given back
// at once by closing the descriptor.
bool LinuxHostAdapters::FlashLockHeldElsewhere(int slot) {
  if (flashHeld_[slot] || nodes_[slot]->blockNode.empty()) return false;
  int error = 0;
  const int fd = access_.Open(nodes_[slot]->blockNode, O_RDONLY | O_NONBLOCK | O_CLOEXEC, error);
  if (fd < 0) return false;
  const bool held = access_.Lock(fd, LOCK_SH | LOCK_NB, error) != 0 && error == EWOULDBLOCK;
  access_.Close(fd);
  return held;
}

int LinuxHostAdapters::OpenExclusively(const std::string& node, const FlashHoldOptions& options,
                                       int& error) {
  for (int attempt = 0;; ++attempt) {
    const int fd = access_.Open(node, O_RDWR | O_NONBLOCK | O_EXCL | O_CLOEXEC, error);
    if (fd >= 0 || error != EBUSY || attempt == kExclusiveRetries) return fd;
    Wait(options, kExclusiveRetryWait);
  }
}

platform::HoldResult LinuxHostAdapters::HoldForFlash(std::uint8_t adapter, std::uint8_t target,
                                                     const FlashHoldOptions& options) {
  platform::HoldResult result;
  std::optional<int> found = SlotOf(adapter, target);
  if (!found || !nodes_[*found]) {
    result.refusal = "no drive is mapped at " + DriveNameOf(adapter, target);
    return result;
  }
  const int slot = *found;
  const LinuxDeviceNode node = *nodes_[slot];
  const std::string drive = "drive " + DriveNameOf(slot);

  // The lock first: a second Korvel program is told that a flash is going on, not that the
  // drive is busy.
  int lockFd = -1;
  // Said only when the command node cannot be held alone either: held so, it keeps every other
  // program away, Korvel's with the rest.
  std::string lockNote;
  if (!node.blockNode.empty()) {
    int error = 0;
    lockFd = access_.Open(node.blockNode, O_RDONLY | O_NONBLOCK | O_CLOEXEC, error);
    if (lockFd < 0) {
      lockNote = "The flash lock on " + node.blockNode +
                 " could not be taken: " + std::strerror(error) + ".";
    } else {
      int locked = access_.Lock(lockFd, LOCK_EX | LOCK_NB, error);
      for (int tries = 0; locked != 0 && error == EWOULDBLOCK && tries < kLockRetries; ++tries) {
        Wait(options, kExclusiveRetryWait);
        locked = access_.Lock(lockFd, LOCK_EX | LOCK_NB, error);
      }
      if (locked != 0) {
        access_.Close(lockFd);
        lockFd = -1;
        if (error == EWOULDBLOCK) {
          result.refusal =
              drive + " is being flashed by another program; wait until it has finished";
          return result;
        }
        lockNote = "The flash lock on " + node.blockNode +
                   " could not be taken: " + std::strerror(error) + ".";
      }
    }
  }
  const auto releaseLock = [&] {
    if (lockFd >= 0) access_.Close(lockFd);
  };

  // The kernel gives a block device to one exclusive holder only, and a mounted file system is
  // one: claimed, nothing can mount the disc during the flash.
  int claimFd = -1;
  if (!node.blockNode.empty()) {
    int error = 0;
    claimFd = access_.Open(node.blockNode, O_RDONLY | O_NONBLOCK | O_EXCL | O_CLOEXEC, error);
    if (claimFd < 0 && error == EBUSY) {
      releaseLock();
      result.refusal = drive +
                       " is mounted or in use by another program: the kernel will not let " +
                       node.blockNode +
                       " be claimed for the flash alone; unmount it and close the program using "
                       "it";
      return result;
    }
  }

  int exclusiveFd = -1;
  if (!node.sgNode.empty()) {
    // The adapters' own descriptor would keep the exclusive open from succeeding.
    if (descriptors_[slot] >= 0) {
      access_.Close(descriptors_[slot]);
      descriptors_[slot] = -1;
    }
    int error = 0;
    exclusiveFd = OpenExclusively(node.sgNode, options, error);
    if (exclusiveFd < 0 && error == EBUSY) {
      if (claimFd >= 0) access_.Close(claimFd);
      releaseLock();
      std::vector<platform::linux_host::NodeDevice> devices;
      for (const std::string* path : {&node.sgNode, &node.blockNode}) {
        if (path->empty()) continue;
        if (auto device = access_.DeviceOf(*path)) devices.push_back(*device);
      }
      const platform::DriveUse use =
          platform::linux_host::ProcessesHolding(devices, options.ownPid, options.procRoot);
      result.refusal = drive + HeldOpenText(use);
      return result;
    }
    if (exclusiveFd < 0) {
      result.notes.push_back(
          node.sgNode + " could not be held for the flash alone: " + std::strerror(error) + ".");
    } else {
      descriptors_[slot] = exclusiveFd;
      readOnly_[slot] = false;
      openFailures_[slot].clear();
    }
  }

  if (!lockNote.empty() && exclusiveFd < 0) result.notes.push_back(lockNote);
  flashHeld_[slot] = true;
  result.hold = std::make_unique<DriveHold>([this, slot, exclusiveFd, claimFd, lockFd] {
    EndFlashHold(slot, exclusiveFd, claimFd, lockFd);
  });
  return result;
}

// The lock goes last, so that a program that waits for it finds the drive free.
void LinuxHostAdapters::EndFlashHold(int slot, int exclusiveFd, int claimFd, int lockFd) {
  if (exclusiveFd >= 0 && descriptors_[slot] == exclusiveFd) {
    access_.Close(exclusiveFd);
    descriptors_[slot] = -1;
  }
  if (claimFd >= 0) access_.Close(claimFd);
  if (lockFd >= 0) access_.Close(lockFd);
  flashHeld_[slot] = false;
}

}  // namespace korvel::transport
