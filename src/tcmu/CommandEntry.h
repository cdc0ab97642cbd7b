// One command entry of the ring: its request read and checked against the shared region, run
// on the emulated device with the data gathered from or scattered to its iovecs, and its
// response (status, sense, read length) written back over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "emulator/ScsiTarget.h"
#include "emulator/Sense.h"

namespace korvel::tcmu {

// What a command entry is checked against.
struct RegionGeometry {
  // The data area, where every iovec must lie: from here to the end of the region.
  std::size_t dataStart = 0;
  // The kernel takes a read length for short data-in (TCMU_MAILBOX_FLAG_CAP_READ_LEN).
  bool readLengthTaken = false;
};

// A command whose entry cannot be served (its CDB or an iovec outside the region) ends with
// this sense: the fault lies in the target, not in the initiator's command.
inline constexpr emulator::SenseCode kInternalTargetFailure{0x04, 0x44, 0x00};

// What happened to one command, for the log.
struct ServedCommand {
  std::uint16_t commandId = 0;
  // The CDB as the kernel passed it; empty when the entry's CDB could not be read.
  std::vector<std::uint8_t> cdb;
  emulator::Direction direction = emulator::Direction::In;
  // The initiator's transfer length: the sum of the entry's iovecs.
  std::uint64_t length = 0;
  emulator::CommandResult result;
  // Why the entry could not be served; empty when it was.
  std::string fault;
};

// The CDB length by the opcode's group, as the kernel copies CDBs into the ring (vendor groups
// 0xC0..0xFF with 10 bytes; the variable-length 0x7F read as its first 16 bytes).
std::size_t KernelCdbLength(std::uint8_t opcode);

// Serves the command entry of `entryLength` bytes at `entryOffset` in `region`. The caller has
// checked that the entry lies inside the ring and holds at least a whole response.
ServedCommand ServeCommandEntry(std::span<std::uint8_t> region, const RegionGeometry& geometry,
                                std::size_t entryOffset, std::size_t entryLength,
                                emulator::ScsiTarget& target);

}  // namespace korvel::tcmu
