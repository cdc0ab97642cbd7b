// Operation codes that the emulated devices know, by the names of the SCSI and MMC standards
// (vendor commands by the maker's names).
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::emulator::opcode {

inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRezeroUnit = 0x01;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kRead6 = 0x08;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kModeSelect6 = 0x15;
inline constexpr std::uint8_t kModeSense6 = 0x1A;
inline constexpr std::uint8_t kReadCapacity = 0x25;
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kModeSelect10 = 0x55;
inline constexpr std::uint8_t kModeSense10 = 0x5A;
inline constexpr std::uint8_t kSetCdSpeed = 0xBB;
inline constexpr std::uint8_t kReadCd = 0xBE;
inline constexpr std::uint8_t kReadDriveMemory = 0xE3;

// The CDB length that the host sends for an opcode: 6, 10 or 12 bytes by group.
constexpr std::size_t CdbLengthOf(std::uint8_t code) {
  if (code <= 0x1F) return 6;
  if (code <= 0x5F) return 10;
  return 12;
}

}  // namespace korvel::emulator::opcode
