// Start-up of the transport: which back end reaches the drives (ASPI, the NT pass-through, or
// the host's own SCSI discovery), how many host adapters there are to scan, and the release of
// the ASPI library at the end.
#pragma once

#include <cstdint>

#include "transport/HostAdapterSource.h"
#include "transport/ScsiTransport.h"

namespace korvel::transport {

// Called once, before any other transport operation. The result is the ASPI support value
// unchanged (low byte: host adapters, next byte: ASPI status), or the number of NT SCSI ports
// opened, or the number of host adapters `host` mapped when neither Windows transport is
// usable; 0 when no transport is usable.
std::int32_t StartTransport(ScsiTransport& transport, HostAdapterSource* host = nullptr);

// Releases the ASPI library if it is loaded; harmless after a failed start-up and when called
// again. Always 0.
std::int32_t StopTransport(ScsiTransport& transport);

// Finds the CD-ROM drive letters C..Z, records each reachable one by its (port, target) in
// TargetHandleIndex and DriveLetterMap, then opens the SCSI ports from 0 up to the first
// missing one. Gives the number of ports opened (0 when no drive or no port was found).
std::int32_t EnumeratePassThrough(ScsiTransport& transport);

}  // namespace korvel::transport
