// How every command descriptor block is filled: typed field writers that place a field at its
// byte (and bit) position, so that each builder reads as its row of the command tables, and the
// one place where a builder hands its CDB and transfer length to the transport.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "transport/ScsiTransport.h"

namespace korvel::drive {

// What a builder or adapter returns when it sends nothing because its arguments would move data
// the buffers cannot hold: a negative MSF span, a transfer beyond 32 bits, a mode parameter list
// that does not fit. No back end reports this value (ASPI statuses are 0..255, the NT
// pass-through gives SCSI status bytes, system error codes or -1).
inline constexpr std::int32_t kStatusRefused = -2;

class Cdb {
 public:
  static constexpr std::size_t kMaxLength = 12;

  explicit Cdb(std::uint8_t opcode) { bytes_[0] = opcode; }

  // The low `width` bits of `value` at bit `shift` of byte `offset`. Fields that share a byte
  // are ORed together, so each keeps its own bits.
  Cdb& Bits(std::size_t offset, std::uint32_t value, unsigned width, unsigned shift = 0);
  // Bit 0 of `value` at bit `bit` of byte `offset`.
  Cdb& Flag(std::size_t offset, std::uint32_t value, unsigned bit) {
    return Bits(offset, value, 1, bit);
  }
  // The low 8 bits of `value` in byte `offset`.
  Cdb& Byte(std::size_t offset, std::uint32_t value) { return Bits(offset, value, 8); }
  // The low `width` bytes of `value`, most significant first, from byte `offset`.
  Cdb& BigEndian(std::size_t offset, std::uint32_t value, std::size_t width);

  const std::uint8_t* bytes() const { return bytes_.data(); }
  std::uint8_t operator[](std::size_t offset) const { return bytes_[offset]; }

  // Runs the command with `transferLength` bytes of `buffer` (the direction is the transport's
  // business). A transfer length beyond 32 bits is refused unsent; a zero length passes no
  // buffer.
  std::int32_t Send(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint8_t* buffer, std::uint64_t transferLength) const;
  // Runs a command that moves no data.
  std::int32_t Send(transport::ScsiTransport& transport, std::uint8_t adapter,
                    std::uint8_t target) const {
    return Send(transport, adapter, target, nullptr, 0);
  }

 private:
  // A field outside the opcode's CDB length is a fault of the builder, never of its caller.
  void CheckInside(std::size_t offset, std::size_t width) const;

  std::array<std::uint8_t, kMaxLength> bytes_{};
};

}  // namespace korvel::drive
