// The bytes of the blocks of a disc, built from the model: stored blocks come from the track's
// image file, every other block is generated as a deterministic function of its address, so a
// test can state what any read must return. Headers are built here, never stored twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "emulator/disc/Disc.h"

namespace korvel::emulator {

inline constexpr std::size_t kUserDataSize = 2048;
inline constexpr std::size_t kRawSectorSize = 2352;

namespace raw_sector_layout {
inline constexpr std::size_t kSync = 0;  // 12 bytes: 00, ten times FF, 00
inline constexpr std::size_t kSyncLength = 12;
inline constexpr std::size_t kHeaderMsf = 12;  // 3 bytes of BCD minute, second, frame
inline constexpr std::size_t kHeaderMode = 15;
inline constexpr std::size_t kHeaderEnd = 16;
// Mode 1: user data, EDC, 8 zero bytes, ECC.
inline constexpr std::size_t kUserData = 16;
inline constexpr std::size_t kEdc = 2064;           // 4 bytes
inline constexpr std::size_t kIntermediate = 2068;  // 8 zero bytes
inline constexpr std::size_t kEcc = 2076;           // 276 bytes
// Mode 2 form 1 (XA): subheader (file, channel, submode, coding, twice), user data, EDC, ECC.
inline constexpr std::size_t kSubheader = 16;
inline constexpr std::size_t kSubheaderLength = 8;
inline constexpr std::size_t kMode2UserData = 24;
inline constexpr std::size_t kMode2Edc = 2072;  // 4 bytes, then the ECC from 2076
}  // namespace raw_sector_layout

// The submode of every generated XA block: a data block of form 1.
inline constexpr std::uint8_t kSubmodeData = 0x08;

// Where a block's user data starts in its raw sector (0 for audio: all 2352 bytes are samples).
std::size_t UserDataOffset(TrackMode mode);
// The header mode byte: 1 or 2; 0 for audio, which has no header.
std::uint8_t HeaderModeOf(TrackMode mode);

// 2048 bytes of user data: the address big-endian in bytes 0..3, then a pattern of it.
void FillUserData(std::uint32_t lba, std::span<std::uint8_t, kUserDataSize> out);

// A 2352-byte mode 1 sector: sync, header (address + 150 frames as BCD M:S:F, mode 1), the user
// data of FillUserData, and error fields filled with a pattern (not a real EDC/ECC).
void FillRawSector(std::uint32_t lba, std::span<std::uint8_t, kRawSectorSize> out);

// The whole 2352-byte sector of block `lba` of `track` (pre-gap or body). A block that the
// track's data stores as 2352 bytes is returned as stored; one stored as 2048 bytes of user data
// gets its sync, header and subheader built around it; a block without stored data is silence
// for audio and FillUserData's pattern for data.
void BuildRawSector(const DiscTrack& track, std::int32_t lba,
                    std::span<std::uint8_t, kRawSectorSize> out);

}  // namespace korvel::emulator
