#include "tcmu/DataDirection.h"

#include <algorithm>
#include <array>

#include "formats/ScsiOpcodes.h"

namespace korvel::tcmu {
namespace {

namespace opcode = formats::opcode;

// The drive's data-out commands: those the emulated drive takes data with (WRITE BUFFER, MODE
// SELECT(6) and (10)) and the other writes of its command set, so that a command the drive
// refuses is at least refused with the right direction.
// clang-format off
constexpr std::array kDataOutOpcodes{
    std::uint8_t{0x04},  // FORMAT UNIT
    opcode::kWrite6,
    opcode::kModeSelect6,
    opcode::kSendDiagnostic,
    opcode::kWrite10,
    std::uint8_t{0x2E},  // WRITE AND VERIFY(10)
    opcode::kWriteBuffer,
    opcode::kSendOpcInformation,
    opcode::kModeSelect10,
    opcode::kSendCueSheet,
    opcode::kWrite12,
    opcode::kWriteDriveMemory,
    opcode::kVendorWriteF0,
    opcode::kVendorFd,
};
// clang-format on

}  // namespace

emulator::Direction DirectionOf(std::uint8_t code) {
  const bool out =
      std::find(kDataOutOpcodes.begin(), kDataOutOpcodes.end(), code) != kDataOutOpcodes.end();
  return out ? emulator::Direction::Out : emulator::Direction::In;
}

}  // namespace korvel::tcmu
