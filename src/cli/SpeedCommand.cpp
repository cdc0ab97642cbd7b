#include "cli/SpeedCommand.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "cli/CliContext.h"
#include "cli/CommandFailure.h"
#include "cli/DriveChoice.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
#include "drive/DriveScan.h"
#include "drive/ReadSpeed.h"

namespace korvel::cli {
namespace {

using transport::DeviceAddress;

constexpr char kUnknown[] = "unknown";

struct StepEntry {
  int step = 0;
  std::string name;
  std::string compactName;
};

struct SpeedReport {
  DeviceAddress address;
  drive::InquiryInfo info;
  drive::DriveType type = drive::kDriveTypeNotMaker;
  std::vector<StepEntry> steps;
  std::optional<int> currentStep;
  std::string currentStepName = kUnknown;
  std::optional<int> readSpeedIndex;
  std::optional<int> writeSpeedIndex;
  std::string writeSpeedName = kUnknown;
  std::optional<CommandFailure> failure;
};

// "0".."6", digits only.
std::optional<int> ParseStep(const std::string& text) {
  if (text.size() != 1 || text[0] < '0' || text[0] >= '0' + drive::kSpeedSteps) return std::nullopt;
  return text[0] - '0';
}

std::vector<StepEntry> OfferedSteps(const drive::SpeedDrive& drive) {
  drive::SpeedStepList list{};
  int count = 0;
  drive::ListReadSpeedSteps(drive, list, count);
  std::vector<StepEntry> steps;
  for (int i = 0; i < count; ++i) {
    drive::SpeedName spaced{};
    drive::SpeedName compact{};
    drive::ReadSpeedName(drive, list[i], spaced);
    drive::ReadSpeedNameCompact(drive, list[i], compact);
    steps.push_back({list[i], spaced.data(), compact.data()});
  }
  return steps;
}

// Reads the current step and speeds until a command fails; the failure is kept in the report.
void ReadCurrentSpeeds(CliContext& context, const drive::SpeedDrive& drive, SpeedReport& report) {
  const auto failed = [&](std::int32_t status) {
    if (status == 1) return false;
    report.failure = FailureOf(context.transport(), report.address, status);
    return true;
  };
  std::uint8_t step = drive::kUnknownSpeedStep;
  if (failed(drive::GetReadSpeedStep(drive, step))) return;
  if (step != drive::kUnknownSpeedStep) {
    report.currentStep = step;
    drive::SpeedName name{};
    drive::ReadSpeedName(drive, step, name);
    report.currentStepName = name.data();
  }
  std::uint8_t index = 0;
  if (failed(drive::CurrentReadSpeedIndex(drive, index))) return;
  report.readSpeedIndex = index;
  if (failed(drive::CurrentWriteSpeedIndex(drive, index))) return;
  report.writeSpeedIndex = index;
  drive::SpeedName writeName{};
  if (failed(drive::CurrentWriteSpeedName(drive, writeName))) return;
  report.writeSpeedName = writeName.data();
}

nlohmann::ordered_json OrNull(const std::optional<int>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

void PrintJson(CliContext& context, const SpeedReport& report) {
  nlohmann::ordered_json document;
  document["drive"] = AddressText(report.address);
  document["drive_type"] = report.type;
  nlohmann::ordered_json steps = nlohmann::ordered_json::array();
  for (const StepEntry& entry : report.steps) {
    steps.push_back(
        {{"step", entry.step}, {"name", entry.name}, {"compact_name", entry.compactName}});
  }
  document["steps"] = steps;
  document["current_step"] = OrNull(report.currentStep);
  document["read_speed_index"] = OrNull(report.readSpeedIndex);
  document["write_speed_index"] = OrNull(report.writeSpeedIndex);
  document["write_speed_name"] = report.writeSpeedName;
  if (report.failure) {
    document["error"] = {
        {"command", report.failure->command},
        {"status", report.failure->status},
        {"sense", report.failure->sense ? nlohmann::ordered_json(*report.failure->sense)
                                        : nlohmann::ordered_json(nullptr)}};
  }
  context.out() << SafeJson(document) << '\n';
}

void PrintText(CliContext& context, const SpeedReport& report) {
  std::ostream& out = context.out();
  out << "Drive " << AddressText(report.address) << ": " << PrintableText(report.info.vendor) << ' '
      << PrintableText(report.info.product) << ' ' << PrintableText(report.info.revision)
      << ", type " << report.type << '\n';
  if (report.steps.empty()) {
    out << "Speed steps: none known for this drive\n";
  } else {
    out << "Step Name            Compact\n";
    for (const StepEntry& entry : report.steps) {
      char line[64];
      std::snprintf(line, sizeof line, "%-4d %-15s %s", entry.step, entry.name.c_str(),
                    entry.compactName.c_str());
      out << line << '\n';
    }
  }
  const auto number = [](const std::optional<int>& value) {
    return value ? std::to_string(*value) : std::string(kUnknown);
  };
  out << "Current step: " << number(report.currentStep);
  if (report.currentStep) out << " (" << report.currentStepName << ')';
  out << '\n';
  out << "Read speed index: " << number(report.readSpeedIndex) << '\n';
  out << "Write speed index: " << number(report.writeSpeedIndex);
  if (report.writeSpeedIndex) out << " (" << report.writeSpeedName << ')';
  out << '\n';
}

int Finish(CliContext& context, const SpeedReport& report, int code) {
  if (context.options().json) {
    PrintJson(context, report);
  } else {
    PrintText(context, report);
  }
  if (report.failure) {
    context.err() << "korvelfw: " << report.failure->command << " to drive "
                  << AddressText(report.address) << " failed (status " << report.failure->status;
    if (report.failure->sense) context.err() << ", sense " << *report.failure->sense;
    context.err() << ")\n";
  }
  context.PrintNotes();
  return code;
}

}  // namespace

std::string SpeedCommand::description() const {
  return "Show a drive's read speed steps and the speed it runs at; --set STEP chooses a step";
}

void SpeedCommand::Configure(CLI::App& subcommand) {
  subcommand
      .add_option_function<std::string>(
          "--set",
          [this](const std::string& step) {
            step_ = step;
            setStep_ = true;
          },
          "Ask the drive for speed step STEP (0..6, one the drive lists) first")
      ->type_name("STEP");
  subcommand.fallthrough();
}

int SpeedCommand::Run(CliContext& context) {
  std::optional<int> wanted;
  if (setStep_) {
    wanted = ParseStep(step_);
    if (!wanted) {
      context.err() << "korvelfw: --set takes a speed step 0..6, not \"" << PrintableText(step_)
                    << "\"\n";
      return kExitBadUsage;
    }
  }
  std::optional<int> adapters = context.StartTransport();
  if (!adapters) return kExitNoTransport;
  const std::optional<DeviceAddress> address = ChooseDrive(context, *adapters);
  if (!address) {
    context.err() << "korvelfw: no Korvel drive was found\n";
    context.PrintNotes();
    return kExitNoTransport;
  }

  SpeedReport report;
  report.address = *address;
  transport::ScsiTransport& transport = context.transport();
  if ((drive::InquireDrive(transport, address->adapter, address->target, report.info) & 0xFF) !=
      1) {
    context.err() << "korvelfw: no device answers at " << AddressText(*address) << '\n';
    context.PrintNotes();
    return kExitNoTransport;
  }
  const drive::SpeedDrive drive(transport, address->adapter, address->target);
  report.type = drive::DriveTypeOf(transport, address->adapter, address->target);
  report.steps = OfferedSteps(drive);
  if (report.type < 0) {
    context.err() << "korvelfw: drive " << AddressText(*address)
                  << " is not a Korvel drive of a known model (type " << report.type
                  << "); its speed cannot be read or set\n";
    return Finish(context, report, kExitFailed);
  }

  if (wanted) {
    const bool offered = std::any_of(report.steps.begin(), report.steps.end(),
                                     [&](const StepEntry& entry) { return entry.step == *wanted; });
    if (!offered) {
      context.err() << "korvelfw: drive " << AddressText(*address) << " (type " << report.type
                    << ") offers steps";
      for (const StepEntry& entry : report.steps) context.err() << ' ' << entry.step;
      context.err() << ", not " << *wanted << '\n';
      return kExitBadUsage;
    }
    const std::int32_t status = drive::SetReadSpeedStep(drive, *wanted);
    if (status != 1) {
      report.failure = FailureOf(transport, *address, status);
      return Finish(context, report, kExitFailed);
    }
  }
  ReadCurrentSpeeds(context, drive, report);
  return Finish(context, report, report.failure ? kExitFailed : kExitSuccess);
}

}  // namespace korvel::cli
