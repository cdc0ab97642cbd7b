#include "app/ProgramContext.h"

#include <stdexcept>

#include "app/Machine.h"
#include "transport/TransportStartup.h"

namespace korvel::app {

ProgramContext::ProgramContext(const AppOptions& options)
    : machine_(MakeMachine(options)),
      transport_(std::make_unique<transport::ScsiTransport>(machine_->platform())) {
  if (!options.commandLogPath.empty()) {
    commandLogFile_.open(options.commandLogPath, std::ios::out | std::ios::trunc);
    if (!commandLogFile_) {
      throw std::runtime_error("cannot write the command log " + options.commandLogPath);
    }
    commandLog_ =
        std::make_unique<transport::CommandLog>(commandLogFile_, machine_->platform().kernel);
    transport_->SetCommandLog(commandLog_.get());
  }
}

// The transport goes before the machine whose services it holds.
ProgramContext::~ProgramContext() {
  if (transport_) transport_->SetCommandLog(nullptr);
  transport_.reset();
}

upgrade::TransportControl ProgramContext::transportControl() {
  return upgrade::TransportControl{[this] {
                                     return static_cast<std::uint32_t>(transport::StartTransport(
                                         *transport_, machine_->hostAdapters()));
                                   },
                                   [this] { transport::StopTransport(*transport_); }};
}

}  // namespace korvel::app
