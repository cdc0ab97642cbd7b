#include "machine/LinuxFlashHost.h"

#include <unistd.h>

#include <utility>

#include "platform/linux/MountInfo.h"
#include "platform/linux/PosixSignalShield.h"
#include "platform/linux/ProcessHolders.h"

namespace korvel::machine {

LinuxFlashHost::LinuxFlashHost(transport::LinuxHostAdapters& adapters,
                               platform::linux_host::SgDeviceAccess& access,
                               platform::MachinePower& power, LinuxFlashFiles files)
    : adapters_(adapters), access_(access), power_(power), files_(std::move(files)) {}

std::string LinuxFlashHost::DriveName(transport::DeviceAddress address) {
  return adapters_.DriveNameOf(address.adapter, address.target);
}

// By device number: a disc mounted through a link or a node of another name is the same disc.
platform::DriveUse LinuxFlashHost::UseOf(transport::DeviceAddress address) {
  const std::optional<transport::LinuxDeviceNode> node =
      adapters_.DeviceNodeOf(address.adapter, address.target);
  if (!node) return {};
  std::vector<platform::linux_host::NodeDevice> devices;
  std::optional<platform::linux_host::NodeDevice> block;
  if (!node->sgNode.empty()) {
    if (auto sg = access_.DeviceOf(node->sgNode)) devices.push_back(*sg);
  }
  if (!node->blockNode.empty()) {
    block = access_.DeviceOf(node->blockNode);
    if (block) devices.push_back(*block);
  }
  platform::DriveUse use =
      platform::linux_host::ProcessesHolding(devices, ::getpid(), files_.procRoot);
  if (block && block->isBlock) {
    use.mountPoints =
        platform::linux_host::MountPointsOfDevice(block->device, files_.mountInfoFile);
  }
  return use;
}

bool LinuxFlashHost::FlashedByAnother(transport::DeviceAddress address) {
  return adapters_.FlashLockHeldElsewhere(address.adapter, address.target);
}

platform::HoldResult LinuxFlashHost::HoldDrive(transport::DeviceAddress address) {
  transport::FlashHoldOptions options;
  options.procRoot = files_.procRoot;
  return adapters_.HoldForFlash(address.adapter, address.target, options);
}

std::unique_ptr<platform::SignalShield> LinuxFlashHost::ShieldSignals(const std::string& program) {
  return platform::linux_host::RaiseSignalShield(program);
}

}  // namespace korvel::machine
