// An emulated SCSI device as the simulated PC's host adapters see it: it takes a CDB, a data
// direction and a buffer, and ends the command as a real target would.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace korvel::emulator {

enum class Direction { In, Out };

// SCSI status bytes.
inline constexpr std::uint8_t kStatusGood = 0x00;
inline constexpr std::uint8_t kStatusCheckCondition = 0x02;
inline constexpr std::uint8_t kStatusBusy = 0x08;

// Fixed-format sense data is 18 bytes: response code 0x70, key in byte 2, ASC/ASCQ at 12/13.
using SenseData = std::array<std::uint8_t, 18>;

struct CommandResult {
  // False when the device never answered (the host adapter then reports a selection time-out).
  bool answered = true;
  std::uint8_t status = kStatusGood;
  // Valid with CHECK CONDITION: what an auto-sense host adapter hands back.
  SenseData sense{};
  // Bytes moved in the command's direction.
  std::uint32_t transferred = 0;
};

class ScsiTarget {
 public:
  virtual ~ScsiTarget() = default;
  // `data` is the host's buffer: `data.size()` is the transfer length the host asked for.
  virtual CommandResult Execute(std::span<const std::uint8_t> cdb, Direction direction,
                                std::span<std::uint8_t> data) = 0;
  // As Execute, for a host adapter that hands the sense back with the CHECK CONDITION status
  // (auto-sense): the sense is delivered then, so the device keeps none for a REQUEST SENSE.
  virtual CommandResult ExecuteWithAutoSense(std::span<const std::uint8_t> cdb, Direction direction,
                                             std::span<std::uint8_t> data) {
    return Execute(cdb, direction, data);
  }
};

}  // namespace korvel::emulator
