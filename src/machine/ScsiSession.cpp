#include "machine/ScsiSession.h"

#include <stdexcept>

#include "transport/TransportStartup.h"

namespace korvel::machine {

ScsiSession::ScsiSession(std::unique_ptr<Machine> machine, const std::string& commandLogPath)
    : machine_(std::move(machine)),
      transport_(std::make_unique<transport::ScsiTransport>(machine_->platform())) {
  if (commandLogPath.empty()) return;
  logFile_ = std::make_unique<CommandLogFile>(commandLogPath);
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
