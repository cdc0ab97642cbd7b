// One string out of the CD-TEXT data that READ TOC format 5 returns: a 4-byte header, then
// packs of 18 bytes (type, track, sequence, character position, 12 text bytes, CRC).
#pragma once
#include "formats/DiscAnswerLayouts.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel::drive {

namespace cd_text_layout = formats::cd_text_layout;

inline constexpr std::uint8_t kCdTextTitle = 0x80;
inline constexpr std::uint8_t kCdTextPerformer = 0x81;

// The routine assembles a string in a work area of this size; a longer string is cut to one
// byte less (the area holds the terminating zero).
inline constexpr std::size_t kCdTextWorkArea = 500;

// The `ordinal`-th string (0 = the first) of the packs of type `packType` in the first
// `dataLength` bytes of `data` (never beyond data.size(); a pack counts when its text bytes lie
// within them). With `doubleAmpersands` each "&" comes
// back as "&&", as a window label needs it. Empty when there is no such string.
std::string CdTextString(std::uint8_t packType, int ordinal, std::span<const std::uint8_t> data,
                         std::size_t dataLength, bool doubleAmpersands);

// Every string of the packs of type `packType`, in order, empty ones included: the disc's first,
// then one a track. Unlike CdTextString, a zero after a zero ends an (empty) string too, so a
// track without text keeps its place. Each string is cut at kCdTextWorkArea - 1 bytes.
std::vector<std::string> CdTextStrings(std::uint8_t packType, std::span<const std::uint8_t> data,
                                       std::size_t dataLength);

}  // namespace korvel::drive
