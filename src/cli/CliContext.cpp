#include "cli/CliContext.h"

#include <charconv>
#include <exception>

#include "cli/LinuxMachine.h"
#include "cli/SimulatedMachine.h"
#include "transport/TransportStartup.h"

namespace korvel::cli {

namespace {

constexpr char kStartupError[] = "ERROR: ASPI Layer for Win32 is not initialized!";

std::unique_ptr<Machine> MakeMachine(const GlobalOptions& options) {
  if (!options.simulate) return std::make_unique<LinuxMachine>();
  try {
    if (options.scenarioFile.empty()) return SimulatedMachine::BuiltIn();
    return SimulatedMachine::FromFile(options.scenarioFile);
  } catch (const std::exception& error) {
    throw UsageError(std::string("bad scenario: ") + error.what());
  }
}

bool ParseNumber(const std::string& text, int& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

std::optional<transport::DeviceAddress> ParseDriveAddress(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return std::nullopt;
  int adapter = 0;
  int target = 0;
  if (!ParseNumber(text.substr(0, colon), adapter) || !ParseNumber(text.substr(colon + 1), target))
    return std::nullopt;
  if (adapter < 0 || adapter >= transport::kMaxAdapters || target < 0 ||
      target >= transport::kTargetsPerAdapter) {
    return std::nullopt;
  }
  return transport::DeviceAddress{static_cast<std::uint8_t>(adapter),
                                  static_cast<std::uint8_t>(target)};
}

std::unique_ptr<CliContext> CliContext::Make(const GlobalOptions& options, std::ostream& out,
                                             std::ostream& err) {
  if (!options.drive.empty() && !ParseDriveAddress(options.drive)) {
    throw UsageError("--drive takes H:T, host adapter 0..7 and target 0..15, not \"" +
                     options.drive + "\"");
  }
  return std::make_unique<CliContext>(options, MakeMachine(options), out, err);
}

CliContext::CliContext(const GlobalOptions& options, std::unique_ptr<Machine> machine,
                       std::ostream& out, std::ostream& err)
    : options_(options), out_(out), err_(err), machine_(std::move(machine)) {
  if (!options_.drive.empty()) requestedDrive_ = ParseDriveAddress(options_.drive);
  transport_ = std::make_unique<transport::ScsiTransport>(machine_->platform());
  if (!options_.commandLogFile.empty()) {
    logFile_.open(options_.commandLogFile, std::ios::out | std::ios::trunc);
    if (!logFile_) {
      throw UsageError("cannot write the command log " + options_.commandLogFile);
    }
    log_ = std::make_unique<transport::CommandLog>(logFile_, machine_->platform().kernel);
    transport_->SetCommandLog(log_.get());
  }
}

CliContext::~CliContext() {
  if (transport_) transport::StopTransport(*transport_);
}

std::optional<int> CliContext::StartTransport() {
  const std::int32_t value = transport::StartTransport(*transport_, machine_->hostAdapters());
  if (value == 0) {
    err_ << kStartupError << '\n' << machine_->NoTransportHint() << '\n';
    PrintNotes();
    return std::nullopt;
  }
  return value & 0xFF;
}

std::string CliContext::TransportName() const {
  const transport::TransportState& state = transport_->state();
  if (state.PassThroughMode) return "Windows NT SCSI pass-through";
  if (transport_->HasHostBackend()) return "Linux SCSI generic (SG_IO)";
  return "ASPI for Win32";
}

void CliContext::PrintNotes() {
  for (const std::string& note : machine_->Notes()) err_ << "note: " << note << '\n';
}

}  // namespace korvel::cli
