// What READ DISC INFORMATION and READ TRACK INFORMATION return for a disc: the recording state
// of the disc and its last session, and the extent and kind of one track, including the
// invisible track where a recordable disc would be written next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/disc/DiscLayout.h"

namespace korvel::emulator {

namespace disc_info_layout {
inline constexpr std::size_t kDataLength = 0;  // 2 bytes
inline constexpr std::size_t kStatus = 2;  // erasable 0x10, last session state << 2, disc status
inline constexpr std::size_t kFirstTrack = 3;
inline constexpr std::size_t kSessions = 4;
inline constexpr std::size_t kFirstTrackOfLastSession = 5;
inline constexpr std::size_t kLastTrackOfLastSession = 6;
inline constexpr std::size_t kFlags = 7;               // 0x20: unrestricted use
inline constexpr std::size_t kDiscType = 8;            // 0x00 CD-DA or CD-ROM, 0x20 CD-ROM XA
inline constexpr std::size_t kLastSessionLeadIn = 16;  // 4 bytes: 0, M, S, F, or FF FF FF FF
inline constexpr std::size_t kLastPossibleLeadOut = 20;
inline constexpr std::size_t kSize = 34;
}  // namespace disc_info_layout

inline constexpr std::uint8_t kDiscErasable = 0x10;
enum class DiscStatus : std::uint8_t { Blank = 0, Incomplete = 1, Complete = 2 };
enum class SessionState : std::uint8_t { Empty = 0, Incomplete = 1, Complete = 3 };

namespace track_info_layout {
inline constexpr std::size_t kDataLength = 0;  // 2 bytes
inline constexpr std::size_t kTrack = 2;
inline constexpr std::size_t kSession = 3;
inline constexpr std::size_t kTrackMode = 5;  // the control nibble: 0x04 data, 0x00 audio
inline constexpr std::size_t kDataMode = 6;   // 0x80 reserved track, 0x40 blank, 0x20 packet
inline constexpr std::size_t kValid = 7;      // 0x01: the next writable address is valid
inline constexpr std::size_t kStart = 8;      // 4 bytes each from here
inline constexpr std::size_t kNextWritable = 12;
inline constexpr std::size_t kFreeBlocks = 16;
inline constexpr std::size_t kTrackSize = 24;
inline constexpr std::size_t kLastRecorded = 28;
inline constexpr std::size_t kSize = 36;
}  // namespace track_info_layout

inline constexpr std::uint8_t kTrackPacket = 0x20;

// READ TRACK INFORMATION address types (CDB byte 1, low 2 bits).
enum class TrackAddressType : std::uint8_t { Block = 0, Track = 1, Session = 2 };
// The track number that asks for the invisible track.
inline constexpr std::uint32_t kInvisibleTrack = 0xFF;

std::vector<std::uint8_t> DiscInformationAnswer(const DiscLayout& layout);

// nullopt when no track answers to `number` of that type.
std::optional<std::vector<std::uint8_t>> TrackInformationAnswer(const DiscLayout& layout,
                                                                TrackAddressType type,
                                                                std::uint32_t number);

}  // namespace korvel::emulator
