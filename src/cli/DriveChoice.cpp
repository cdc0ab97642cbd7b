#include "cli/DriveChoice.h"

#include <vector>

#include "cli/ExitCodes.h"
#include "drive/DriveScan.h"
#include "drive/Identification.h"

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

std::optional<ChosenDrive> StartOnChosenDrive(CliContext& context, int& exitCode) {
  exitCode = kExitNoTransport;
  std::optional<int> adapters = context.StartTransport();
  if (!adapters) return std::nullopt;
  const std::optional<transport::DeviceAddress> address = ChooseDrive(context, *adapters);
  if (!address) {
    if (!context.ReportNoDeviceOpened()) {
      context.err() << "korvelfw: no Korvel drive was found; name a drive with --drive H:T\n";
      context.PrintNotes();
    }
    return std::nullopt;
  }
  ChosenDrive chosen{*address, {}};
  if ((drive::InquireDrive(context.transport(), address->adapter, address->target, chosen.info) &
       0xFF) != 1) {
    context.err() << "korvelfw: no device answers at " << AddressText(*address) << '\n';
    context.PrintNotes();
    return std::nullopt;
  }
  exitCode = kExitSuccess;
  return chosen;
}

}  // namespace korvel::cli
