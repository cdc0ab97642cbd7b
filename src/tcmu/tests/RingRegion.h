// An in-memory stand-in for the region a TCM user device shares: a mailbox, a command ring and
// a data area, with entries posted the way the kernel posts them (CDB after the iovecs, padding
// before the ring wraps), and a scripted device that records what reaches it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "emulator/ScsiTarget.h"

namespace korvel::tcmu::testing {

using Bytes = std::vector<std::uint8_t>;

// One piece of the data area: its offset from the start of the data area, and its length.
struct Piece {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

class RingRegion {
 public:
  RingRegion(std::uint32_t ringSize = 4096, std::size_t dataSize = 65536);

  std::span<std::uint8_t> bytes() { return bytes_; }
  std::size_t ringOffset() const;
  std::size_t dataStart() const;

  // Posts a command entry at the head, padding to the end of the ring first when it does not
  // fit there. Returns the entry's offset in the region.
  std::size_t PostCommand(const Bytes& cdb, const std::vector<Piece>& pieces,
                          std::uint16_t commandId = 1);
  // Posts an entry of `length` bytes with this header type (padding, notifications).
  std::size_t PostEntry(std::uint32_t type, std::uint32_t length);

  std::uint32_t head() const;
  std::uint32_t tail() const;
  void SetHead(std::uint32_t head);
  void SetTail(std::uint32_t tail);

  // Fields of an entry at `entry`, and bytes of the data area.
  void Store32(std::size_t offset, std::uint32_t value);
  void Store64(std::size_t offset, std::uint64_t value);
  std::uint8_t Status(std::size_t entry) const;
  std::uint8_t UserFlags(std::size_t entry) const;
  std::uint32_t ReadLength(std::size_t entry) const;
  Bytes Sense(std::size_t entry) const;  // the whole sense buffer of the response
  void PutData(std::uint64_t offset, const Bytes& data);
  Bytes Data(std::uint64_t offset, std::size_t length) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

// A device that records each command and answers as scripted.
class ScriptedTarget : public emulator::ScsiTarget {
 public:
  struct Call {
    Bytes cdb;
    emulator::Direction direction;
    Bytes data;  // the buffer as the device got it
  };

  emulator::CommandResult Execute(std::span<const std::uint8_t> cdb, emulator::Direction direction,
                                  std::span<std::uint8_t> data) override;

  // What the next commands answer: data-in bytes (as many as fit) and the result.
  Bytes answer;
  emulator::CommandResult result;
  std::vector<Call> calls;
};

}  // namespace korvel::tcmu::testing
