#include <array>
#include <cstdint>

#include "transport/CdbLength.h"

namespace korvel::transport {
namespace {

constexpr std::array<std::uint8_t, 13> kDataOutOpcodes = {
    0x04,  // FORMAT UNIT
    0x0A,  // WRITE(6)
    0x15,  // MODE SELECT(6)
    0x1D,  // SEND DIAGNOSTIC
    0x2A,  // WRITE(10)
    0x3B,  // WRITE BUFFER
    0x54,  // SEND OPC INFORMATION
    0x55,  // MODE SELECT(10)
    0x5D,  // SEND CUE SHEET
    0xAA,  // WRITE(12)
    0xE2,  // WRITE DRIVE MEMORY
    0xF0,  // VENDOR WRITE 0xF0
    0xFD,  // VENDOR 0xFD
};

constexpr std::array<std::int32_t, 256> MakeDataOutTable() {
  std::array<std::int32_t, 256> table{};
  for (std::uint8_t opcode : kDataOutOpcodes) table[opcode] = 1;
  return table;
}

}  // namespace

const std::array<std::int32_t, 256> DataOutTable = MakeDataOutTable();

}  // namespace korvel::transport
