#include "cli/HostInfoCommand.h"

#include <CLI/CLI.hpp>
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
#include "utilities/AspiVersion.h"
#include "utilities/BitsText.h"
#include "utilities/DiscInsertSettings.h"
#include "utilities/FreeDiskBytes.h"
#include "utilities/OsVersionText.h"

namespace korvel::cli {
namespace {

// Room for any text the routines give; longer ones are cut by the routines themselves.
using HostText = std::array<char, 256>;

struct HostReport {
  HostText os{};
  HostText aspiFileVersion{};
  HostText aspiDescription{};
  HostText aspiCompany{};
  std::uint8_t autoRunMask = 0;
  std::optional<std::string> audioCdVerb;   // none: the keys or the value are missing
  std::map<char, std::uint64_t> freeBytes;  // every drive letter the machine has
};

HostReport Gather(platform::Platform& platform) {
  HostReport report;
  utilities::OsVersionText(platform.kernel, report.os);
  utilities::AspiVersionStrings(platform.versions, report.aspiFileVersion, report.aspiDescription,
                                report.aspiCompany);
  report.autoRunMask = utilities::GetAutoRunMask(platform.registry);
  // Read-only: the setter's routine makes the keys it opens, and a report must change nothing.
  report.audioCdVerb = utilities::ReadAudioCdShellDefault(platform.registry);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    if (platform.deviceIo.GetDriveTypeA(root) == platform::DRIVE_NO_ROOT_DIR) continue;
    report.freeBytes[letter] = utilities::FreeDiskBytes(platform.volumes, letter);
  }
  return report;
}

void PrintJson(CliContext& context, const HostReport& report) {
  nlohmann::ordered_json document;
  document["os"] = report.os.data();
  document["aspi_file_version"] = report.aspiFileVersion.data();
  document["aspi_description"] = report.aspiDescription.data();
  document["aspi_company"] = report.aspiCompany.data();
  document["autorun_mask"] = report.autoRunMask;
  if (report.audioCdVerb) {
    document["audio_cd_verb"] = *report.audioCdVerb;
  } else {
    document["audio_cd_verb"] = nullptr;
  }
  nlohmann::ordered_json free = nlohmann::ordered_json::object();
  for (const auto& [letter, bytes] : report.freeBytes) free[std::string(1, letter)] = bytes;
  document["free_bytes"] = free;
  context.out() << SafeJson(document) << '\n';
}

void PrintText(CliContext& context, const HostReport& report) {
  std::ostream& out = context.out();
  out << "Operating system: " << PrintableText(report.os.data()) << '\n';
  out << "ASPI file version: " << PrintableText(report.aspiFileVersion.data()) << '\n';
  out << "ASPI description: " << PrintableText(report.aspiDescription.data()) << '\n';
  out << "ASPI company: " << PrintableText(report.aspiCompany.data()) << '\n';
  utilities::BitsText8Buffer bits;
  char mask[48];
  std::snprintf(mask, sizeof mask, "0x%02X (bits 0 to 7: %s)", report.autoRunMask,
                utilities::BitsText8(report.autoRunMask, bits));
  out << "Auto-run mask: " << mask << '\n';
  out << "Audio CD verb: "
      << (report.audioCdVerb ? PrintableText(*report.audioCdVerb) : std::string("not set")) << '\n';
  if (report.freeBytes.empty()) {
    out << "Free space: no drive letters\n";
    return;
  }
  out << "Free space:\n";
  for (const auto& [letter, bytes] : report.freeBytes) {
    out << "  " << letter << ": " << bytes << " bytes\n";
  }
}

}  // namespace

std::string HostInfoCommand::description() const {
  return "Show the operating system, the ASPI library's version, the auto-run and audio CD "
         "settings and the free space of each drive letter";
}

void HostInfoCommand::Configure(CLI::App& subcommand) {
  subcommand.fallthrough();
}

int HostInfoCommand::Run(CliContext& context) {
  const HostReport report = Gather(context.machine().platform());
  if (context.options().json) {
    PrintJson(context, report);
  } else {
    PrintText(context, report);
  }
  context.PrintNotes();
  return kExitSuccess;
}

}  // namespace korvel::cli
