// The machine the program runs on, behind one face: a simulated PC on real time, or the real
// Linux machine. It hands out the platform services and, for the real machine, the host's own
// SCSI discovery.
#pragma once

#include <memory>

#include "app/AppOptions.h"
#include "platform/Platform.h"
#include "transport/HostAdapterSource.h"

namespace korvel::app {

class Machine {
 public:
  virtual ~Machine() = default;
  virtual platform::Platform& platform() = 0;
  // Null when the machine has no discovery of its own (the simulated PC).
  virtual transport::HostAdapterSource* hostAdapters() = 0;
};

// Throws std::runtime_error when a named scenario cannot be loaded.
std::unique_ptr<Machine> MakeMachine(const AppOptions& options);

// The real machine this program runs on.
std::unique_ptr<Machine> MakeLinuxMachine(const AppOptions& options);

}  // namespace korvel::app
