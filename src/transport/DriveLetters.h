// Which drive letter belongs to a device address: recorded at start-up in pass-through mode,
// built once from the NT port drivers in ASPI mode on Windows NT, or looked up in the Windows 9x
// registry table.
#pragma once

#include <cstdint>

#include "transport/ScsiTransport.h"

namespace korvel::transport {

// The drive index (0 = A, 2 = C) of (adapter, target). An address with no recorded drive gives
// 2 (C), except on Windows NT in pass-through mode, where it gives -1.
std::int32_t DriveLetterOf(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target);

// Windows NT with ASPI: pairs the ASPI host adapters with the NT ports of the same driver name,
// then records every CD-ROM drive letter at (adapter of its port, target). Always 0.
std::int32_t BuildDriveLetterMap(ScsiTransport& transport);

}  // namespace korvel::transport
