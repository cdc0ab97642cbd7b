// The free space of a drive letter, in bytes.
#pragma once

#include <cstdint>

#include "platform/Volumes.h"

namespace korvel::utilities {

// Sectors per cluster x bytes per sector x free clusters of "<letter>:\", 0 when the drive
// reports nothing (no medium, no such letter, or no drive letters on this machine).
std::uint64_t FreeDiskBytes(platform::Volumes& volumes, char letter);

}  // namespace korvel::utilities
