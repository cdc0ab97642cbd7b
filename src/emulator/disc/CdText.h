// The CD-TEXT of a disc as its lead-in carries it and READ TOC format 5 returns it: 18-byte
// packs of titles (0x80) and performers (0x81), then the size information (0x8F).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "emulator/disc/Disc.h"
#include "formats/DiscAnswerLayouts.h"

namespace korvel::emulator {

namespace cd_text_layout = formats::cd_text_layout;

inline constexpr std::uint8_t kPackTitle = 0x80;
inline constexpr std::uint8_t kPackPerformer = 0x81;
inline constexpr std::uint8_t kPackSizeInformation = 0x8F;
// Sequence numbers are one byte: one block holds at most 256 packs.
inline constexpr std::size_t kMaxCdTextPacks = 256;
// Longest title or performer that the loaders take, without its terminating zero.
inline constexpr std::size_t kMaxCdTextLength = 160;

// CRC-16 of pack bytes 0..15: polynomial 0x1021, start value 0, the result inverted.
std::uint16_t CdTextCrc(std::span<const std::uint8_t> packBytes);

// Every pack of the disc's CD-TEXT in order; empty when neither the disc nor a track has text.
std::vector<std::uint8_t> CdTextPacks(const Disc& disc);

}  // namespace korvel::emulator
