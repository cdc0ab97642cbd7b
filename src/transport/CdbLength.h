// The CDB length and the data direction of a command, both taken from its operation code.
#pragma once

#include <array>
#include <cstdint>

namespace korvel::transport {

// 6 bytes for opcodes 0x00..0x1F, 10 for 0x20..0x5F, 12 for everything above (no 16-byte CDBs).
constexpr std::uint8_t CdbLengthOf(std::uint8_t opcode) {
  if (opcode <= 0x1F) return 6;
  if (opcode <= 0x5F) return 10;
  return 12;
}

// 1 for the opcodes that send data from the host to the device, 0 for all others.
extern const std::array<std::int32_t, 256> DataOutTable;

inline bool IsDataOut(std::uint8_t opcode) {
  return DataOutTable[opcode] == 1;
}

}  // namespace korvel::transport
