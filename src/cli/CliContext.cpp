#include "cli/CliContext.h"

#include <cstdlib>
#include <exception>

#include "cli/SafeText.h"
#include "formats/DriveAddressText.h"
#include "transport/TransportStartup.h"

namespace korvel::cli {

namespace {

std::unique_ptr<machine::Machine> MakeMachine(const GlobalOptions& options) {
  try {
    // KORVEL_DEBUG puts the debugger channel on stderr, on the simulated PC as on Linux.
    return machine::MakeMachine(machine::MachineOptions{options.simulate, options.scenarioFile,
                                                        std::getenv("KORVEL_DEBUG") != nullptr});
  } catch (const std::exception& error) {
    throw UsageError(std::string("bad scenario: ") + error.what());
  }
}

}  // namespace

std::optional<transport::DeviceAddress> ParseDriveAddress(const std::string& text) {
  static_assert(formats::kAddressAdapters == transport::kMaxAdapters &&
                formats::kAddressTargets == transport::kTargetsPerAdapter);
  const auto address = formats::ParseDriveAddressText(text);
  if (!address) return std::nullopt;
  return transport::DeviceAddress{address->first, address->second};
}

std::unique_ptr<CliContext> CliContext::Make(const GlobalOptions& options,
                                             const std::vector<machine::InputFile>& commandInputs,
                                             std::ostream& out, std::ostream& err) {
  if (options.drive && !ParseDriveAddress(*options.drive)) {
    throw UsageError("--drive takes H:T, host adapter 0..7 and target 0..15, not \"" +
                     *options.drive + "\"");
  }
  if (options.commandLogFile && options.commandLogFile->empty()) {
    throw UsageError("--log-commands needs a file name");
  }
  return std::make_unique<CliContext>(options, MakeMachine(options), commandInputs, out, err);
}

CliContext::CliContext(const GlobalOptions& options, std::unique_ptr<machine::Machine> machine,
                       const std::vector<machine::InputFile>& commandInputs, std::ostream& out,
                       std::ostream& err)
    : options_(options), out_(out), err_(err) {
  if (options_.drive) requestedDrive_ = ParseDriveAddress(*options_.drive);
  try {
    session_ = std::make_unique<machine::ScsiSession>(
        std::move(machine), options_.commandLogFile.value_or(""), commandInputs);
  } catch (const std::runtime_error& error) {
    throw UsageError(error.what());
  }
}

CliContext::~CliContext() {
  session_->StopTransport();
}

std::optional<int> CliContext::StartTransport() {
  const std::int32_t value = session_->StartTransport();
  if (value == 0) {
    err_ << session_->machine().NoTransportText() << '\n'
         << session_->machine().NoTransportHint() << '\n';
    PrintNotes();
    return std::nullopt;
  }
  return value & 0xFF;
}

std::string CliContext::TransportName() const {
  const transport::TransportState& state = session_->transport().state();
  if (state.PassThroughMode) return "Windows NT SCSI pass-through";
  if (session_->transport().HasHostBackend()) return "Linux SCSI generic (SG_IO)";
  return "ASPI for Win32";
}

std::string CliContext::CommandLogFailure() {
  return session_->CommandLogFailure();
}

bool CliContext::ReportNoDeviceOpened() {
  if (!session_->machine().CouldOpenNoDevice()) return false;
  err_ << "korvelfw: " << kNoDeviceOpenedText << '\n';
  PrintNotes();
  return true;
}

void CliContext::PrintNotes() {
  for (const std::string& note : session_->machine().Notes())
    err_ << "note: " << PrintableText(note) << '\n';
}

}  // namespace korvel::cli
