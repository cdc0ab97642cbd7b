// The few system calls that reach a SCSI device node on Linux (open, the SG_IO ioctl, flock,
// close, and who owns the node and what it stands for), behind an interface so that tests need
// no hardware.
#pragma once

#include <scsi/sg.h>

#include <optional>
#include <string>

#include "platform/linux/NodeDevice.h"

namespace korvel::platform::linux_host {

// The owning group of a device node and whether it, or everybody, may open it for writing.
struct NodeRights {
  std::string group;  // empty when the node cannot be looked at
  bool groupMayWrite = false;
  bool othersMayWrite = false;
};

class SgDeviceAccess {
 public:
  virtual ~SgDeviceAccess() = default;
  // A file descriptor, or -1 with the errno value in `error`.
  virtual int Open(const std::string& path, int flags, int& error) = 0;
  // 0 when the request was carried out (its outcome is in `header`), or -1 with `error`.
  virtual int SendSgIo(int fd, sg_io_hdr_t& header, int& error) = 0;
  virtual void Close(int fd) = 0;
  // flock(2): 0, or -1 with `error` (EWOULDBLOCK for a lock held elsewhere under LOCK_NB).
  virtual int Lock(int fd, int operation, int& error) = 0;
  // Who may write the node, for advice in messages; nothing known when it cannot be read.
  virtual NodeRights RightsOf(const std::string& path) = 0;
  // Nothing when the path cannot be looked at or is no device node.
  virtual std::optional<NodeDevice> DeviceOf(const std::string& path) = 0;
};

// The real system calls.
class PosixSgDeviceAccess : public SgDeviceAccess {
 public:
  int Open(const std::string& path, int flags, int& error) override;
  int SendSgIo(int fd, sg_io_hdr_t& header, int& error) override;
  void Close(int fd) override;
  int Lock(int fd, int operation, int& error) override;
  NodeRights RightsOf(const std::string& path) override;
  std::optional<NodeDevice> DeviceOf(const std::string& path) override;
};

}  // namespace korvel::platform::linux_host
