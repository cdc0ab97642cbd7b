#include "drive/DriveScan.h"

#include <cstring>

namespace korvel::drive {

std::vector<FoundDrive> ScanForDrives(transport::ScsiTransport& transport, int adapterCount) {
  std::vector<FoundDrive> found;
  for (int adapter = 0; adapter < adapterCount; ++adapter) {
    for (int target = 0; target < transport::kTargetsPerAdapter; ++target) {
      FoundDrive drive;
      drive.address = {static_cast<std::uint8_t>(adapter), static_cast<std::uint8_t>(target)};
      if (InquireDrive(transport, drive.address.adapter, drive.address.target, drive.info) == 0) {
        continue;
      }
      if (std::strcmp(drive.info.vendor, kKorvelVendor) != 0) continue;
      drive.type = DriveTypeOf(transport, drive.address.adapter, drive.address.target);
      found.push_back(drive);
    }
  }
  return found;
}

}  // namespace korvel::drive
