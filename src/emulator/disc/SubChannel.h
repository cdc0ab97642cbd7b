// The sub-channel of a block as the disc carries it, for READ CD: the Q channel in its position
// form (ADR 1), or the media catalog number (ADR 2) or the track's ISRC (ADR 3), with its CRC, the
// P channel's pause flag, and the 96 bytes of raw P-W that carry one bit of each of the eight
// channels a byte. The Q channel comes from DiscLayout::QAt, the one source READ SUB-CHANNEL also
// answers from. The disc model has no CD+G: R..W are zero.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "emulator/disc/DiscLayout.h"

namespace korvel::emulator {

inline constexpr std::size_t kQChannelSize = 12;  // 10 data bytes and the CRC
inline constexpr std::size_t kFormattedQSize = 16;
inline constexpr std::size_t kRawSubChannelSize = 96;

// The Q channel as recorded: control in the high nibble of byte 0 and ADR in the low one (the
// other way round from READ SUB-CHANNEL), every number BCD, the CRC in bytes 10..11.
namespace q_channel_layout {
inline constexpr std::size_t kControlAdr = 0;
inline constexpr std::size_t kTrack = 1;
inline constexpr std::size_t kIndex = 2;
inline constexpr std::size_t kRelative = 3;  // M, S, F
inline constexpr std::size_t kZero = 6;
inline constexpr std::size_t kAbsolute = 7;  // M, S, F
inline constexpr std::size_t kCrc = 10;      // 2 bytes, big-endian
}  // namespace q_channel_layout

// READ CD's formatted Q: the 12 bytes as recorded, three zero bytes, then the P channel in bit 7
// of byte 15.
namespace formatted_q_layout {
inline constexpr std::size_t kPad = 12;  // 3 zero bytes
inline constexpr std::size_t kP = 15;
inline constexpr std::uint8_t kPBit = 0x80;
}  // namespace formatted_q_layout

// Raw P-W: byte i carries bit i of each channel (bits taken from the most significant first),
// P in bit 7, Q in bit 6, R..W in bits 5..0.
namespace raw_sub_channel_bits {
inline constexpr std::uint8_t kP = 0x80;
inline constexpr std::uint8_t kQ = 0x40;
}  // namespace raw_sub_channel_bits

// The CRC-16 of the Q channel and of CD-TEXT packs: polynomial x^16 + x^12 + x^5 + 1 (0x1021),
// start value 0, the remainder inverted as the disc records it.
std::uint16_t SubChannelCrc(std::span<const std::uint8_t> bytes);

// The 12 bytes of the Q channel of `q`. A pre-gap's relative time counts down to index 1.
std::array<std::uint8_t, kQChannelSize> QChannelBytes(const QChannel& q);

// The 12 bytes of the Q channel of `block` (0 <= block < layout.Capacity()) as the disc records
// it. Mostly the position; a disc with a media catalog number records it (ADR 2) instead in
// block 40 of every hundred, and a track with an ISRC records that (ADR 3) in block 90 of every
// hundred of its body, so that each comes once in 100 blocks as the disc standard asks. Neither
// takes the first or last block of an index, so that every index change reads as a position.
std::array<std::uint8_t, kQChannelSize> RecordedQ(const DiscLayout& layout, std::int32_t block);

// The P channel flags the pause before a track: set in every block of a pre-gap (index 0).
bool PChannelSet(const QChannel& q);

// READ CD's two sub-channel forms of a block whose position is `q` and whose Q channel records
// `recorded`; without `recorded`, the position itself.
std::array<std::uint8_t, kFormattedQSize> FormattedQ(
    const QChannel& q, const std::array<std::uint8_t, kQChannelSize>& recorded);
std::array<std::uint8_t, kRawSubChannelSize> RawSubChannel(
    const QChannel& q, const std::array<std::uint8_t, kQChannelSize>& recorded);
std::array<std::uint8_t, kFormattedQSize> FormattedQ(const QChannel& q);
std::array<std::uint8_t, kRawSubChannelSize> RawSubChannel(const QChannel& q);

}  // namespace korvel::emulator
