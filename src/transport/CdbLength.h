// The CDB length and the data direction of a command, both taken from its operation code.
#pragma once

#include <array>
#include <cstdint>

#include "formats/ScsiOpcodes.h"

namespace korvel::transport {

using formats::CdbLengthOf;

// 1 for the opcodes that send data from the host to the device, 0 for all others.
extern const std::array<std::int32_t, 256> DataOutTable;

inline bool IsDataOut(std::uint8_t opcode) {
  return DataOutTable[opcode] == 1;
}

}  // namespace korvel::transport
