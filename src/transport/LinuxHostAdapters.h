// The real Linux machine's SCSI buses as host adapters: the optical drives sysfs lists are
// mapped onto adapters 0..7 (Linux host numbers in ascending order) and targets 0..15, and each
// command goes to its drive's node with SG_IO. Each mapped drive gets a drive letter, from D in
// ascending address order, whose files are those under the mount point of its block device.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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
  // True when drives were mapped, every one was tried and none of their nodes could be opened:
  // then no drive could be asked what it is.
  bool CouldOpenNoNode() const;

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

  platform::linux_host::SysfsScsiDiscovery discovery_;
  platform::linux_host::SgDeviceAccess& access_;
  std::filesystem::path mountsFile_;
  platform::linux_host::DriveLetterTable* letters_;
  std::vector<int> hostOfAdapter_;
  std::array<std::optional<LinuxDeviceNode>, kAddressSlots> nodes_;
  std::array<int, kAddressSlots> descriptors_;
  std::array<bool, kAddressSlots> readOnly_{};
  std::array<std::string, kAddressSlots> openFailures_;
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
