#include "machine/ScsiSession.h"

#include <stdexcept>

#include "transport/TransportStartup.h"

namespace korvel::machine {

ScsiSession::ScsiSession(std::unique_ptr<Machine> machine, const std::string& commandLogPath,
                         const std::vector<InputFile>& otherInputs)
    : machine_(std::move(machine)),
      transport_(std::make_unique<transport::ScsiTransport>(machine_->platform())) {
  if (commandLogPath.empty()) return;
  std::vector<InputFile> inputs = machine_->InputFiles();
  inputs.insert(inputs.end(), otherInputs.begin(), otherInputs.end());
  logFile_ = std::make_unique<CommandLogFile>(commandLogPath, inputs);
  log_ = std::make_unique<transport::CommandLog>(logFile_->stream(), machine_->platform().kernel);
  transport_->SetCommandLog(log_.get());
}

ScsiSession::~ScsiSession() {
  transport_.reset();
}

std::int32_t ScsiSession::StartTransport() {
  return transport::StartTransport(*transport_, machine_->hostAdapters());
}

std::int32_t ScsiSession::StopTransport() {
  return transport::StopTransport(*transport_);
}

std::string ScsiSession::CommandLogFailure() {
  return logFile_ ? logFile_->Finish() : std::string();
}

}  // namespace korvel::machine
