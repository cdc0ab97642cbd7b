// The real Linux machine's SCSI buses as host adapters: the optical drives sysfs lists are
// mapped onto adapters 0..7 (Linux host numbers in ascending order) and targets 0..15, and each
// command goes to its drive's node with SG_IO. Each mapped drive gets a drive letter, from D in
// ascending address order, whose files are those under the mount point of its block device.
#pragma once

#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/FlashFacts.h"
#include "platform/linux/DriveLetterTable.h"
#include "platform/linux/SgDeviceAccess.h"
#include "platform/linux/SysfsScsiDiscovery.h"
#include "transport/DeviceAddress.h"
#include "transport/HostAdapterSource.h"

namespace korvel::transport {

struct LinuxDeviceNode {
  int host = 0;
  int target = 0;
  std::string commandNode;  // where SG_IO goes: the sg node, else the block node
  std::string sgNode;
  std::string blockNode;
  std::string mountPoint;  // empty when not mounted
  char letter = 0;         // upper case; 0 when the letters ran out
};

// What a drive held for a flash needs from the machine beyond the device nodes.
struct FlashHoldOptions {
  // Where the processes that hold a node open are looked for, and the one to leave out.
  std::filesystem::path procRoot = "/proc";
  pid_t ownPid = ::getpid();
  // Waits between attempts; empty to really sleep.
  std::function<void(std::chrono::milliseconds)> sleep;
};

// The letters handed out: D for the first mapped drive, up to Z.
inline constexpr char kFirstLinuxDriveLetter = 'D';
inline constexpr char kLastLinuxDriveLetter = 'Z';

class LinuxHostAdapters : public HostAdapterSource {
 public:
  // `letters`, when given, is filled with the drive letters at every mapping.
  LinuxHostAdapters(platform::linux_host::SysfsScsiDiscovery discovery,
                    platform::linux_host::SgDeviceAccess& access,
                    std::filesystem::path mountsFile = "/proc/self/mounts",
                    platform::linux_host::DriveLetterTable* letters = nullptr);
  ~LinuxHostAdapters() override;
  LinuxHostAdapters(const LinuxHostAdapters&) = delete;
  LinuxHostAdapters& operator=(const LinuxHostAdapters&) = delete;

  // Optical drives (peripheral types 4 and 5) on LUN 0, channel 0, targets 0..15 of the first
  // eight hosts that have one; every other optical device is left out with a note.
  int MapAdapters() override;
  std::unique_ptr<CommandBackend> MakeBackend() override;
  std::int32_t DriveIndexOf(std::uint8_t adapter, std::uint8_t target) const override;

  // The Linux stand-in for a drive letter: the nodes and the mount point of (adapter, target).
  std::optional<LinuxDeviceNode> DeviceNodeOf(std::uint8_t adapter, std::uint8_t target) const;
  // The Linux host number that `adapter` stands for.
  std::optional<int> HostOf(std::uint8_t adapter) const;
  // Optical devices left out of the mapping, one line each, saying why.
  const std::vector<std::string>& notes() const { return notes_; }
  // What went wrong with the last command that could not be carried out, in words for the user
  // (what is needed to fix it included); empty while nothing went wrong.
  const std::string& lastErrorText() const { return lastErrorText_; }
  // One line for every node that could not be opened, in address order, each saying why.
  std::vector<std::string> openFailures() const;
  // The drives whose node another program holds exclusively (a flash, most likely), with the
  // line that says so, in address order.
  std::vector<std::pair<DeviceAddress, std::string>> HeldElsewhere() const;
  // True when drives were mapped, every one was tried and none of their nodes could be opened:
  // then no drive could be asked what it is.
  bool CouldOpenNoNode() const;

  // How messages name the drive: "H:T (/dev/sg1, /dev/sr0)", its address and its nodes.
  std::string DriveNameOf(std::uint8_t adapter, std::uint8_t target) const;
  // The drive held for a flash: the flash lock every Korvel program honours (flock on the block
  // node), the block node claimed so that nothing mounts it, and the sg node open exclusively,
  // the commands to the drive going through that descriptor. Destroying the hold gives all of it
  // back; the next command opens the node as usual. The hold must not outlive the adapters.
  platform::HoldResult HoldForFlash(std::uint8_t adapter, std::uint8_t target,
                                    const FlashHoldOptions& options = {});
  // True when another program holds the flash lock of the drive (never this one's own hold).
  bool FlashLockHeldElsewhere(std::uint8_t adapter, std::uint8_t target);

  // A data-in command that fails leaves request.buffer as it was; one that succeeds writes only
  // the bytes the drive sent.
  BackendOutcome Execute(const CommandRequest& request);

 private:
  void HandOutLetters();
  int OpenNode(int slot);
  void DescribeOpenFailure(int slot, const std::string& node, int error);
  void DescribeCommandFailure(const std::string& node, const CommandRequest& request, int slot,
                              int systemError, std::uint8_t hostStatus, std::uint8_t driverStatus);
  std::string PermissionHint(const LinuxDeviceNode& node);
  void HandOverConsumedSense(int slot, const CommandRequest& request, std::uint32_t& received);
  static std::string BlockNodeUpgradeHint(const std::string& path);
  std::string DriveNameOf(int slot) const;
  bool FlashLockHeldElsewhere(int slot);
  int OpenExclusively(const std::string& node, const FlashHoldOptions& options, int& error);
  void EndFlashHold(int slot, int exclusiveFd, int claimFd, int lockFd);

  platform::linux_host::SysfsScsiDiscovery discovery_;
  platform::linux_host::SgDeviceAccess& access_;
  std::filesystem::path mountsFile_;
  platform::linux_host::DriveLetterTable* letters_;
  std::vector<int> hostOfAdapter_;
  std::array<std::optional<LinuxDeviceNode>, kAddressSlots> nodes_;
  std::array<int, kAddressSlots> descriptors_;
  std::array<bool, kAddressSlots> readOnly_{};
  // The addresses a hold of this program's own keeps for a flash.
  std::array<bool, kAddressSlots> flashHeld_{};
  std::array<std::string, kAddressSlots> openFailures_;
  std::array<bool, kAddressSlots> heldElsewhere_{};
  // The sense that came back with each address's last command when it ended in CHECK
  // CONDITION; empty otherwise.
  std::array<std::vector<std::uint8_t>, kAddressSlots> pendingSense_;
  std::vector<std::string> notes_;
  std::string lastErrorText_;
  // What the kernel reads data-in into. It keeps its size from one command to the next, so that
  // a run of 8 KiB or 64 KiB transfers allocates once.
  std::vector<std::uint8_t> lent_;
};

}  // namespace korvel::transport
