// The computer korvelfw works on: the simulated PC of a scenario or the real Linux machine. It
// supplies the platform services and, on Linux, the host's own SCSI buses.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "transport/HostAdapterSource.h"
#include "transport/LinuxHostAdapters.h"

namespace korvel::cli {

class Machine {
 public:
  virtual ~Machine() = default;
  virtual platform::Platform& platform() = 0;
  // The start-up's last resort when no Windows transport exists; null when there is none.
  virtual transport::HostAdapterSource* hostAdapters() = 0;
  // The line printed under the start-up error, saying what was looked for.
  virtual std::string NoTransportHint() const = 0;
  // Things worth telling the user after a command (devices left out, permission problems).
  virtual std::vector<std::string> Notes() const = 0;
  // Where a drive is on this machine beyond its address (device nodes, mount point); empty
  // when there is nothing to add.
  virtual std::string LocationOf(std::uint8_t adapter, std::uint8_t target) const = 0;
};

}  // namespace korvel::cli
