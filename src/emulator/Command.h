// One command as an emulated device handles it, and the ways a device ends it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "emulator/ScsiTarget.h"
#include "emulator/Sense.h"

namespace korvel::emulator {

struct Command {
  std::span<const std::uint8_t> cdb;
  Direction direction = Direction::In;
  std::span<std::uint8_t> data;

  std::uint8_t opcode() const { return cdb[0]; }
  // The low 3 bits of byte 1: the mode field of WRITE BUFFER and READ BUFFER.
  std::uint8_t mode() const { return cdb[1] & 0x07; }
  std::uint64_t Field(std::size_t offset, std::size_t width) const;
};

CommandResult Good(std::uint32_t transferred = 0);
CommandResult CheckCondition(SenseCode code);

// Ends a data-in command: moves as much of `bytes` as the host's buffer holds. A host that
// set up a data-out transfer for it gets a data phase error.
CommandResult SendToHost(const Command& command, std::span<const std::uint8_t> bytes);

// The first `length` bytes that the host sent with a data-out command, or the sense that
// refuses the command: a data-in transfer is a data phase error, fewer bytes than the CDB
// announces a bad field in the CDB.
struct ReceivedData {
  std::span<const std::uint8_t> bytes;
  std::optional<SenseCode> refusal;
};
ReceivedData ReceiveFromHost(const Command& command, std::size_t length);

}  // namespace korvel::emulator
