// Disc times: a block address is a frame number less the 150 frames of the first pre-gap, and
// the Q channel and the TOC write times as minute, second and frame, often in BCD.
#pragma once

#include <cstdint>

#include "emulator/disc/Disc.h"

namespace korvel::emulator {

inline constexpr std::int32_t kFramesPerSecond = 75;
inline constexpr std::int32_t kFramesPerMinute = 60 * kFramesPerSecond;
// Block 0 is 00:02:00.
inline constexpr std::int32_t kBlockZeroFrame = 150;

constexpr std::uint8_t Bcd(std::uint32_t value) {
  return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

constexpr std::int32_t FramesOf(const Msf& time) {
  return time.minute * kFramesPerMinute + time.second * kFramesPerSecond + time.frame;
}

// The time of a frame count from 0 to 99:59:74; larger counts keep only their minutes mod 100.
constexpr Msf MsfOfFrames(std::int32_t frames) {
  return {static_cast<std::uint8_t>((frames / kFramesPerMinute) % 100),
          static_cast<std::uint8_t>((frames / kFramesPerSecond) % 60),
          static_cast<std::uint8_t>(frames % kFramesPerSecond)};
}

// The time of block `lba` (lba >= -150).
constexpr Msf MsfOfBlock(std::int32_t lba) {
  return MsfOfFrames(lba + kBlockZeroFrame);
}

// A block address of a time; times of the lead-in area (90 minutes and more) give the negative
// addresses before block 0, as the ATIP lead-in start 97:24:01 does.
constexpr std::int32_t BlockOfMsf(const Msf& time) {
  const std::int32_t frames = FramesOf(time);
  constexpr std::int32_t kLeadInFrom = 90 * kFramesPerMinute;
  constexpr std::int32_t kWrap = 100 * kFramesPerMinute;
  return (frames >= kLeadInFrom ? frames - kWrap : frames) - kBlockZeroFrame;
}

}  // namespace korvel::emulator
