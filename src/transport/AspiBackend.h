// The ASPI back end: one SRB_ExecSCSICmd per command, handed to the library's
// SendASPI32Command, completed through an event (or by polling when no event can be made).
#pragma once

#include "platform/Platform.h"
#include "transport/CommandBackend.h"
#include "transport/TransportState.h"

namespace korvel::transport {

class AspiBackend : public CommandBackend {
 public:
  AspiBackend(platform::Platform& platform, TransportState& state)
      : platform_(platform), state_(state) {}
  BackendOutcome Execute(const CommandRequest& request) override;

 private:
  platform::Platform& platform_;
  TransportState& state_;
};

}  // namespace korvel::transport
