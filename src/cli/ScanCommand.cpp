#include "cli/ScanCommand.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
#include "drive/DriveScan.h"
#include "transport/HostAdapterInquiry.h"

namespace korvel::cli {

namespace {

// The main window offers an upgrade for these drive types.
constexpr drive::DriveType kFirstUpgradableType = 11;
constexpr drive::DriveType kLastUpgradableType = 19;

bool IsUpgradable(drive::DriveType type) {
  return type >= kFirstUpgradableType && type <= kLastUpgradableType;
}

std::string ModelOf(drive::DriveType type) {
  char name[32];
  return drive::ModelNameOf(type, name);
}

void PrintJson(CliContext& context, const std::vector<drive::FoundDrive>& drives) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const drive::FoundDrive& found : drives) {
    nlohmann::ordered_json entry;
    entry["adapter"] = found.address.adapter;
    entry["target"] = found.address.target;
    entry["vendor"] = found.info.vendor;
    entry["product"] = found.info.product;
    entry["revision"] = found.info.revision;
    entry["drive_type"] = found.type;
    entry["model"] = ModelOf(found.type);
    entry["upgradable"] = IsUpgradable(found.type);
    list.push_back(entry);
  }
  nlohmann::ordered_json document;
  document["drives"] = list;
  // Replacement keeps the output valid JSON whatever bytes a drive puts in its fields.
  context.out() << SafeJson(document) << '\n';
}

void PrintTable(CliContext& context, int adapters, int reported,
                const std::vector<drive::FoundDrive>& drives) {
  std::ostream& out = context.out();
  out << "Transport: " << context.TransportName() << ", " << adapters << " host adapter"
      << (adapters == 1 ? "" : "s") << " scanned";
  if (reported != adapters) out << " (" << reported << " reported)";
  out << '\n';
  if (drives.empty()) {
    out << "No Korvel drive was found.\n";
    return;
  }
  out << "Adapter Target Vendor   Product          Rev  Type Model        Upgradable\n";
  for (const drive::FoundDrive& found : drives) {
    char line[320];
    std::snprintf(
        line, sizeof line, "%-7d %-6d %-8s %-16s %-4s %-4d %-12s %s", found.address.adapter,
        found.address.target, PrintableText(found.info.vendor).c_str(),
        PrintableText(found.info.product).c_str(), PrintableText(found.info.revision).c_str(),
        found.type, ("\"" + ModelOf(found.type) + "\"").c_str(),
        IsUpgradable(found.type) ? "yes" : "no");
    out << line << '\n';
    const std::string location =
        context.machine().LocationOf(found.address.adapter, found.address.target);
    if (!location.empty()) out << "        " << PrintableText(location) << '\n';
  }
  out << drives.size() << " Korvel drive" << (drives.size() == 1 ? "" : "s") << " found.\n";
}

}  // namespace

std::string ScanCommand::description() const {
  return "List the Korvel drives on every host adapter and target, as the upgrade window finds "
         "them";
}

int ScanCommand::Run(CliContext& context) {
  std::optional<int> adapters = context.StartTransport();
  if (!adapters) return kExitNoTransport;
  // Adapters from 8 up have no place in the address tables: they are named below, not scanned.
  const int reachable = std::min(*adapters, transport::kMaxAdapters);
  std::vector<drive::FoundDrive> drives = drive::ScanForDrives(context.transport(), reachable);
  if (std::optional<transport::DeviceAddress> only = context.requestedDrive()) {
    std::erase_if(drives, [&](const drive::FoundDrive& found) { return found.address != *only; });
  }
  if (drives.empty() && context.machine().CouldOpenNoDevice()) {
    if (context.options().json) {
      nlohmann::ordered_json document;
      document["drives"] = nlohmann::ordered_json::array();
      document["error"] = kNoDeviceOpenedText;
      context.out() << SafeJson(document) << '\n';
    }
    context.ReportNoDeviceOpened();
    return kExitNoTransport;
  }
  if (context.options().json) {
    PrintJson(context, drives);
  } else {
    PrintTable(context, reachable, *adapters, drives);
  }
  for (const std::string& note :
       transport::UnreachableAdapterNotes(context.transport(), *adapters)) {
    context.err() << "note: " << note << '\n';
  }
  context.PrintNotes();
  return kExitSuccess;
}

}  // namespace korvel::cli
