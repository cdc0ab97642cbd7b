// Everything one run of korvel-upgrade works on: the machine (a simulated PC on real time, or
// the real Linux machine), the SCSI transport over it, the optional command log and the state
// the dialog's logic keeps. Built once from the options and passed by reference.
#pragma once

#include <memory>
#include <optional>

#include "app/AppOptions.h"
#include "machine/FlashGuards.h"
#include "machine/ScsiSession.h"
#include "upgrade/UpgradeDialogModel.h"
#include "upgrade/UpgradeSession.h"

namespace korvel::app {

class ProgramContext {
 public:
  // Throws std::runtime_error (emulator::ConfigError for a bad scenario) with a message for
  // the user when the machine or the command log cannot be set up.
  explicit ProgramContext(const AppOptions& options);
  ~ProgramContext();
  ProgramContext(const ProgramContext&) = delete;
  ProgramContext& operator=(const ProgramContext&) = delete;

  transport::ScsiTransport& transport() { return scsi_.transport(); }
  upgrade::UpgradeSession& session() { return session_; }
  // Why the command log could not be written in full; empty when it was or when there is none.
  std::string CommandLogFailure() { return scsi_.CommandLogFailure(); }
  // Start-up and release of the transport, as the dialog's logic calls them.
  upgrade::TransportControl transportControl();
  // The guards around a flash of the machine; null where it guards nothing.
  upgrade::FlashGuard* flashGuard() { return guards_ ? &*guards_ : nullptr; }

 private:
  machine::ScsiSession scsi_;
  upgrade::UpgradeSession session_;
  std::optional<machine::FlashGuards> guards_;
};

}  // namespace korvel::app
