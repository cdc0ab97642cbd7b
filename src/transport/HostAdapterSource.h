// The host's own SCSI discovery (Linux sysfs and SG_IO), which the start-up tries when neither
// the ASPI library nor the NT pass-through gives a host adapter.
#pragma once

#include <cstdint>
#include <memory>

#include "transport/CommandBackend.h"

namespace korvel::transport {

class HostAdapterSource {
 public:
  virtual ~HostAdapterSource() = default;
  // Maps the host's buses onto adapters 0..7 and gives how many it mapped (0: none).
  virtual int MapAdapters() = 0;
  // The back end that reaches the mapped devices; asked for once, after MapAdapters found some.
  virtual std::unique_ptr<CommandBackend> MakeBackend() = 0;
  // The drive index (0 = A) the host gave the device at (adapter, target) when it mapped the
  // adapters; -1 for none.
  virtual std::int32_t DriveIndexOf(std::uint8_t /*adapter*/, std::uint8_t /*target*/) const {
    return -1;
  }
};

}  // namespace korvel::transport
