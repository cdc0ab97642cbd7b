// Which way a command's data moves. The kernel's command entries do not say so: the back end
// decides it from the CDB, as the drive itself would.
#pragma once

#include <cstdint>

#include "emulator/ScsiTarget.h"

namespace korvel::tcmu {

// Data-out for the commands that carry a parameter list or data to the drive (MODE SELECT,
// WRITE BUFFER, the writes and the maker's vendor writes); data-in for every other opcode,
// those that move no data included.
emulator::Direction DirectionOf(std::uint8_t opcode);

}  // namespace korvel::tcmu
