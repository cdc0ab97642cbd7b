#include "cli/DiscInfoCommand.h"

#include <CLI/CLI.hpp>
#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "cli/CliContext.h"
#include "cli/DiscPresence.h"
#include "cli/DriveChoice.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
#include "drive/CommandsStandard.h"
#include "drive/CommandsVendor.h"
#include "drive/Identification.h"
#include "drive/TocLayout.h"
#include "utilities/DiscManufacturer.h"
#include "utilities/DiscTypeReport.h"
#include "utilities/DriveFacts.h"
#include "utilities/SessionQueries.h"

namespace korvel::cli {
namespace {

using transport::DeviceAddress;
using Json = nlohmann::ordered_json;

constexpr std::uint32_t kTocLength = 804;

struct TrackEnd {
  int number = 0;
  bool sessionLast = false;
};

struct DiscInfoReport {
  DeviceAddress address;
  drive::InquiryInfo info;
  std::string discClass;
  std::string volume;
  std::string manufacturer;
  bool appendable = false;
  std::int32_t senseCode = 0;
  std::optional<std::string> driveNumber;
  std::optional<int> vendorStatus;
  std::uint16_t maxWriteSpeedRaw = 0;
  std::uint16_t currentWriteSpeedRaw = 0;
  std::vector<TrackEnd> tracks;
  // The maker's commands that the drive refused, in words.
  std::vector<std::string> refusals;
};

std::string Hex(std::int32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
  return text;
}

// The drive keeps the sense of a failed command in its slot until the next failure, so it still
// tells why after the INQUIRY that a routine may send last.
std::string Refusal(transport::ScsiTransport& transport, DeviceAddress address, std::int32_t status,
                    const char* command) {
  const std::int32_t sense = transport.LastSense(address.adapter, address.target);
  char text[96];
  std::snprintf(text, sizeof text, "%s failed (status %d, sense %02X/%02X/%02X)", command,
                static_cast<int>(status), (sense >> 16) & 0xFF, (sense >> 8) & 0xFF, sense & 0xFF);
  return text;
}

std::vector<TrackEnd> TrackEnds(transport::ScsiTransport& transport, DeviceAddress address) {
  std::array<std::uint8_t, kTocLength> toc{};
  if (drive::ReadTocFormatInControlByte(transport, address.adapter, address.target,
                                        drive::kTocFormatToc, kTocLength, toc.data()) != 1) {
    return {};
  }
  std::vector<TrackEnd> ends;
  const int first = toc[drive::toc_layout::kFirst];
  const int last = toc[drive::toc_layout::kLast];
  for (int number = std::max(first, 1); number <= std::min(last, 99); ++number) {
    ends.push_back({number, utilities::IsSessionLastTrack(
                                transport, address, static_cast<std::uint8_t>(number), 1) == 1});
  }
  return ends;
}

void Collect(transport::ScsiTransport& transport, DiscInfoReport& report) {
  const DeviceAddress address = report.address;
  std::vector<std::uint8_t> cdText(utilities::kCdTextAreaSize, 0);
  utilities::DiscTypeReport(transport, address, report.volume, report.discClass, cdText);
  report.manufacturer = utilities::DiscManufacturerText(transport, address);
  report.appendable = utilities::DiscIsAppendable(transport, address);
  report.senseCode = utilities::SenseCode(transport, address);

  std::string number;
  if (utilities::DriveNumberText(transport, address, number)) {
    report.driveNumber = number;
  } else {
    report.refusals.push_back(Refusal(transport, address,
                                      transport.lastCommand() ? transport.lastCommand()->status : 0,
                                      "VENDOR READ 0xF1"));
  }
  std::int32_t status = 0;
  const std::uint8_t vendorStatus = utilities::VendorStatusByte(transport, address, &status);
  if (status == 1) {
    report.vendorStatus = vendorStatus;
  } else {
    report.refusals.push_back(Refusal(transport, address, status, "VENDOR STATUS 0xDE"));
  }
  report.maxWriteSpeedRaw = utilities::MaxWriteSpeedRaw(transport, address);
  report.currentWriteSpeedRaw = utilities::CurrentWriteSpeedRaw(transport, address);
  report.tracks = TrackEnds(transport, address);
}

void PrintJson(CliContext& context, const DiscInfoReport& report,
               const std::optional<std::string>& error) {
  Json document;
  document["drive"] = AddressText(report.address);
  if (error) {
    document["error"] = *error;
    context.out() << SafeJson(document) << '\n';
    return;
  }
  document["class"] = report.discClass;
  document["volume"] = report.volume;
  document["manufacturer"] = report.manufacturer;
  document["appendable"] = report.appendable;
  document["sense_code"] = Hex(report.senseCode, 6);
  document["sense_text"] = utilities::SenseCodeText(report.senseCode);
  document["drive_number"] = report.driveNumber ? Json(*report.driveNumber) : Json(nullptr);
  document["vendor_status"] = report.vendorStatus ? Json(*report.vendorStatus) : Json(nullptr);
  document["max_write_speed_raw"] = report.maxWriteSpeedRaw;
  document["current_write_speed_raw"] = report.currentWriteSpeedRaw;
  Json tracks = Json::array();
  for (const TrackEnd& end : report.tracks) {
    tracks.push_back({{"number", end.number}, {"session_last", end.sessionLast}});
  }
  document["tracks"] = tracks;
  context.out() << SafeJson(document) << '\n';
}

void PrintText(CliContext& context, const DiscInfoReport& report) {
  std::ostream& out = context.out();
  out << "Drive " << AddressText(report.address) << ": " << PrintableText(report.info.vendor) << ' '
      << PrintableText(report.info.product) << ' ' << PrintableText(report.info.revision) << '\n';
  out << "Disc class:    " << PrintableText(report.discClass) << '\n';
  out << "Volume:        \"" << PrintableText(report.volume) << "\"\n";
  out << "Manufacturer:  " << PrintableText(report.manufacturer) << '\n';
  out << "Appendable:    " << (report.appendable ? "yes" : "no") << '\n';
  out << "Sense code:    " << Hex(report.senseCode, 6) << utilities::SenseCodeText(report.senseCode)
      << '\n';
  out << "Drive number:  " << (report.driveNumber ? *report.driveNumber : "not available") << '\n';
  out << "Vendor status: "
      << (report.vendorStatus ? Hex(*report.vendorStatus, 2) : std::string("not available"))
      << '\n';
  out << "Write speeds:  maximum " << report.maxWriteSpeedRaw << ", current "
      << report.currentWriteSpeedRaw << " (raw values of the capabilities page)\n";
  if (report.tracks.empty()) return;
  out << "Track  Ends its session\n";
  for (const TrackEnd& end : report.tracks) {
    char line[32];
    std::snprintf(line, sizeof line, "%5d  %s", end.number, end.sessionLast ? "yes" : "no");
    out << line << '\n';
  }
}

}  // namespace

std::string DiscInfoCommand::description() const {
  return "Identify the disc in a drive: class, volume or CD-TEXT title, maker of a recordable "
         "disc, and a few facts of the drive";
}

void DiscInfoCommand::Configure(CLI::App& subcommand) {
  subcommand.fallthrough();
}

int DiscInfoCommand::Run(CliContext& context) {
  int exitCode = kExitSuccess;
  const std::optional<ChosenDrive> chosen = StartOnChosenDrive(context, exitCode);
  if (!chosen) return exitCode;
  const std::optional<DeviceAddress> address = chosen->address;
  transport::ScsiTransport& transport = context.transport();
  DiscInfoReport report;
  report.address = chosen->address;
  report.info = chosen->info;
  if (std::optional<std::string> noDisc = NoDiscReason(transport, *address)) {
    if (context.options().json) PrintJson(context, report, *noDisc);
    context.err() << "korvelfw: " << *noDisc << '\n';
    context.PrintNotes();
    return kExitFailed;
  }
  Collect(transport, report);
  if (context.options().json) {
    PrintJson(context, report, std::nullopt);
  } else {
    PrintText(context, report);
  }
  for (const std::string& refusal : report.refusals) {
    context.err() << "korvelfw: drive " << AddressText(*address) << ": " << refusal
                  << "; the maker's own commands are not available on this drive\n";
  }
  context.PrintNotes();
  return kExitSuccess;
}

}  // namespace korvel::cli
