#include "cli/DriveChoice.h"

#include <vector>

#include "drive/DriveScan.h"

namespace korvel::cli {

std::string AddressText(transport::DeviceAddress address) {
  return std::to_string(address.adapter) + ":" + std::to_string(address.target);
}

std::optional<transport::DeviceAddress> ChooseDrive(CliContext& context, int adapters) {
  if (std::optional<transport::DeviceAddress> requested = context.requestedDrive()) {
    return requested;
  }
  const std::vector<drive::FoundDrive> drives = drive::ScanForDrives(context.transport(), adapters);
  if (drives.empty()) return std::nullopt;
  return drives.front().address;
}

}  // namespace korvel::cli
