#include "cli/TracksCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "cli/CliContext.h"
#include "cli/CommandFailure.h"
#include "cli/DiscPresence.h"
#include "cli/DriveChoice.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
#include "drive/CdText.h"
#include "drive/CommandsStandard.h"
#include "drive/DiscContents.h"
#include "drive/DiscPosition.h"
#include "drive/DiscTexts.h"
#include "drive/Identification.h"
#include "formats/BigEndian.h"

namespace korvel::cli {
namespace {

using transport::DeviceAddress;
using Json = nlohmann::ordered_json;

constexpr std::uint32_t kDiscInformationLength = 4;
constexpr std::size_t kCdTextColumn = 52;       // where the CD-TEXT column of the heading begins
constexpr std::uint8_t kDiscStatusMask = 0x03;  // byte 2: 0 blank, 1 incomplete, 2 complete
constexpr const char* kUnverifiedNote = " (not verified)";

struct TrackRow {
  drive::DiscTrackEntry entry;
  std::int32_t length = 0;
  bool lengthVerified = true;  // false: the table's distance, as the drive refused to confirm it
  std::optional<std::string> title;
  std::optional<std::string> performer;
};

struct TracksReport {
  DeviceAddress address;
  drive::InquiryInfo info;
  std::vector<TrackRow> tracks;
  bool appendable = false;
  std::optional<std::string> discTitle;
  std::optional<std::string> discPerformer;
};

// The string of `index` (0: the disc's), or nothing when the disc has none there.
std::optional<std::string> TextAt(const std::vector<std::string>& strings, std::size_t index) {
  if (index >= strings.size() || strings[index].empty()) return std::nullopt;
  return strings[index];
}

Json OrNull(const std::optional<std::string>& text) {
  return text ? Json(*text) : Json(nullptr);
}

// Why the drive has no tracks to show; nothing when a disc with a table of contents is in.
std::optional<std::string> NoTracksReason(transport::ScsiTransport& transport,
                                          DeviceAddress address) {
  if (std::optional<std::string> noDisc = NoDiscReason(transport, address)) return noDisc;
  std::uint8_t info[kDiscInformationLength] = {};
  if (drive::ReadDiscInformation(transport, address.adapter, address.target, kDiscInformationLength,
                                 info) == 1 &&
      (info[2] & kDiscStatusMask) == 0) {
    return "the disc in drive " + AddressText(address) + " is blank: it holds no tracks yet";
  }
  return std::nullopt;
}

void PrintJson(CliContext& context, const TracksReport& report,
               const std::optional<std::string>& error) {
  Json document;
  document["drive"] = AddressText(report.address);
  Json tracks = Json::array();
  for (const TrackRow& row : report.tracks) {
    tracks.push_back({{"number", row.entry.number},
                      {"session", row.entry.session},
                      {"kind", drive::TrackKindName(row.entry.kind)},
                      {"start", row.entry.start},
                      {"start_msf", drive::FramesToText(row.entry.start)},
                      {"length", row.length},
                      {"length_verified", row.lengthVerified},
                      {"title", OrNull(row.title)},
                      {"performer", OrNull(row.performer)}});
  }
  document["tracks"] = tracks;
  document["appendable"] = report.appendable;
  if (error) document["error"] = *error;
  context.out() << SafeJson(document) << '\n';
}

std::string Quoted(const std::string& text) {
  return '"' + PrintableText(text) + '"';
}

void PrintText(CliContext& context, const TracksReport& report) {
  std::ostream& out = context.out();
  out << "Drive " << AddressText(report.address) << ": " << PrintableText(report.info.vendor) << ' '
      << PrintableText(report.info.product) << ' ' << PrintableText(report.info.revision) << '\n';
  if (report.discTitle || report.discPerformer) {
    out << "Disc: " << (report.discTitle ? Quoted(*report.discTitle) : std::string("-"));
    if (report.discPerformer) out << " by " << Quoted(*report.discPerformer);
    out << '\n';
  }
  out << "Track Session Kind   Start     Start MSF  Length    CD-TEXT\n";
  for (const TrackRow& row : report.tracks) {
    char line[96];
    std::snprintf(line, sizeof line, "%5u %7u %-6s %-9d %-10s %d", row.entry.number,
                  row.entry.session, drive::TrackKindName(row.entry.kind), row.entry.start,
                  drive::FramesToText(row.entry.start).c_str(), row.length);
    std::string text = line;
    if (!row.lengthVerified) text += kUnverifiedNote;
    if (row.title || row.performer) {
      text.resize(std::max<std::size_t>(text.size() + 1, kCdTextColumn), ' ');
      text += row.title ? Quoted(*row.title) : std::string("-");
      if (row.performer) text += " by " + Quoted(*row.performer);
    }
    out << text << '\n';
  }
  out << "Appendable: " << (report.appendable ? "yes, a further session can be written" : "no")
      << '\n';
}

// "READ TOC to drive 0:2 failed (status 4, sense 05/24/00)": the last command the drive refused.
std::string FailureText(transport::ScsiTransport& transport, DeviceAddress address,
                        std::int32_t status) {
  const CommandFailure failure = FailureOf(transport, address, status);
  std::string why = failure.command + " to drive " + AddressText(address) + " failed (status " +
                    std::to_string(failure.status);
  if (failure.sense) why += ", sense " + *failure.sense;
  return why + ")";
}

int Fail(CliContext& context, const TracksReport& report, const std::string& why) {
  if (context.options().json) PrintJson(context, report, why);
  context.err() << "korvelfw: " << why << '\n';
  context.PrintNotes();
  return kExitFailed;
}

}  // namespace

std::string TracksCommand::description() const {
  return "List the sessions and tracks of the disc in a drive, with their true extents and "
         "CD-TEXT";
}

void TracksCommand::Configure(CLI::App& subcommand) {
  subcommand.fallthrough();
}

int TracksCommand::Run(CliContext& context) {
  int exitCode = kExitSuccess;
  const std::optional<ChosenDrive> chosen = StartOnChosenDrive(context, exitCode);
  if (!chosen) return exitCode;
  const std::optional<DeviceAddress> address = chosen->address;
  transport::ScsiTransport& transport = context.transport();
  TracksReport report;
  report.address = chosen->address;
  report.info = chosen->info;
  if (std::optional<std::string> reason = NoTracksReason(transport, *address)) {
    return Fail(context, report, *reason);
  }

  drive::DiscContents contents;
  const std::int32_t status =
      drive::ReadDiscContents(transport, address->adapter, address->target, contents);
  if (status != 1) return Fail(context, report, FailureText(transport, *address, status));
  report.appendable = contents.appendable;
  const std::vector<std::string> titles =
      drive::CdTextStrings(drive::kCdTextTitle, contents.cdText, contents.cdText.size());
  const std::vector<std::string> performers =
      drive::CdTextStrings(drive::kCdTextPerformer, contents.cdText, contents.cdText.size());
  report.discTitle = TextAt(titles, 0);
  report.discPerformer = TextAt(performers, 0);
  const int firstNumber = contents.tracks.empty() ? 1 : contents.tracks.front().number;
  for (const drive::DiscTrackEntry& entry : contents.tracks) {
    TrackRow row;
    row.entry = entry;
    drive::TrackExtentRecord record{};
    const drive::TrackExtentOutcome extent =
        drive::FindTrackExtent(transport, address->adapter, address->target, entry.number, record);
    if (extent.status != 1) {
      // No length of a listing cut short is shown: the error is the whole answer.
      const std::string why = FailureText(transport, *address, extent.status);
      report.tracks.clear();
      return Fail(context, report, why);
    }
    row.lengthVerified = extent.lengthVerified;
    row.length = static_cast<std::int32_t>(static_cast<std::uint32_t>(
        formats::GetBigEndian(record.data() + drive::track_extent_layout::kLength, 4)));
    // The disc's own strings come first, then one a track in track order.
    const auto index = static_cast<std::size_t>(std::max(entry.number - firstNumber + 1, 0));
    row.title = TextAt(titles, index);
    row.performer = TextAt(performers, index);
    report.tracks.push_back(row);
  }
  if (context.options().json) {
    PrintJson(context, report, std::nullopt);
  } else {
    PrintText(context, report);
  }
  context.PrintNotes();
  return kExitSuccess;
}

}  // namespace korvel::cli
