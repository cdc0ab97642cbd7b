// The SCSI devices the Linux kernel knows, read from sysfs (class scsi_device): address, type,
// identity and the device nodes through which they are reached.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace korvel::platform::linux_host {

struct SysfsScsiDevice {
  int host = 0;
  int channel = 0;
  int target = 0;
  int lun = 0;
  int peripheralType = -1;  // the "type" attribute; -1 when unreadable
  // INQUIRY fields as the device returned them, trailing blanks kept.
  std::string vendor;
  std::string product;
  std::string revision;
  std::string sgNode;     // e.g. "/dev/sg1", empty when the sg driver has no node for it
  std::string blockNode;  // e.g. "/dev/sr0", empty when no block driver is bound
};

class SysfsScsiDiscovery {
 public:
  // `sysfsRoot` is normally "/sys" and `devRoot` "/dev"; tests point both at a temporary tree.
  explicit SysfsScsiDiscovery(std::filesystem::path sysfsRoot = "/sys",
                              std::filesystem::path devRoot = "/dev");

  // Every device listed, ordered by host, channel, target and LUN. A device whose attributes
  // cannot be read (a directory where a file belongs, an I/O error) is left out and named in
  // `skipped`: one bad device does not stop the scan.
  struct Scan {
    std::vector<SysfsScsiDevice> devices;
    std::vector<std::string> skipped;  // "H:C:T:L: skipped, <file> cannot be read: <reason>"
  };
  Scan ScanDevices() const;
  std::vector<SysfsScsiDevice> Devices() const { return ScanDevices().devices; }

 private:
  std::filesystem::path sysfsRoot_;
  std::filesystem::path devRoot_;
};

}  // namespace korvel::platform::linux_host
