// Where tracks and sessions really end on the disc in a drive: the Q sub-channel read at chosen
// blocks, the end of a session from the full table of contents, and a track's true extent
// before the next track's pre-gap. Addresses are logical block addresses; a frame number is a
// block address + 150.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "transport/ScsiTransport.h"

namespace korvel::drive {

// The Q channel of the block last sought, as READ SUB-CHANNEL reports the current position.
struct QPosition {
  std::uint8_t track = 0;
  std::uint8_t index = 0;
  std::int32_t absoluteAddress = 0;
  std::int32_t relativeAddress = 0;  // negative in a pre-gap
  std::uint8_t adrControl = 0;
};

// Seeks to `blockAddress` and reads the current position there. The outputs are set from the
// answer area whatever the status (zero when the command failed).
void ReadQPosition(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::int32_t blockAddress, QPosition& position);

// The first block after the drop of the track-relative address around `blockAddress` (where a
// track ends and the next one's pre-gap begins), by probing the 40 blocks around it; the
// address itself when no drop shows in 1000 probes. Each pass of the search writes the window it
// has seen ("%8ld" a slot, 9999999 for an empty one) to the debugger output.
std::int32_t LocateTrackBoundary(transport::ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::int32_t blockAddress);

// For the last track of a session that a further session can follow: the last block of the
// track (two blocks before the session's lead-out). Otherwise, or when the drive refuses the
// full table of contents, -1.
std::int32_t SessionEndOfTrack(transport::ScsiTransport& transport, std::uint8_t adapter,
                               std::uint8_t target, std::uint8_t track);

// The record TrackExtent writes: bytes 0..1 untouched, then the track's start frame number and
// its length in blocks, both big-endian.
using TrackExtentRecord = std::array<std::uint8_t, 10>;
namespace track_extent_layout {
inline constexpr std::size_t kStartFrame = 2;  // 4 bytes
inline constexpr std::size_t kLength = 6;      // 4 bytes
}  // namespace track_extent_layout

// Writes where `track` starts and how long it really is: up to the end of its session, the
// lead-out, or the block before the next track's pre-gap as the Q channel shows it. 1, or the
// status of the READ TOC that failed, which leaves the record as it was. A track number outside
// the table of contents reads as a zero entry.
std::int32_t TrackExtent(transport::ScsiTransport& transport, std::uint8_t adapter,
                         std::uint8_t target, std::uint8_t track, TrackExtentRecord& record);

// What TrackExtent finds, and whether the drive confirmed the length it wrote.
struct TrackExtentOutcome {
  std::int32_t status = 1;  // as TrackExtent returns it
  // false: the Q channel probes were refused or led to no end, so the length is the table of
  // contents' distance to the next track (pre-gap included); or the table gave none at all; or
  // the drive refused the full TOC, so that a session's end could not be told from a pre-gap.
  bool lengthVerified = true;
};

// TrackExtent with the same commands in the same order, saying whether the length was found.
// The search ends at the first probe the drive refuses.
TrackExtentOutcome FindTrackExtent(transport::ScsiTransport& transport, std::uint8_t adapter,
                                   std::uint8_t target, std::uint8_t track,
                                   TrackExtentRecord& record);

// Bounds of the searches that the drive's answers steer: a drive that keeps answering the same
// (a failed READ SUB-CHANNEL reads as index 0 in a zeroed area) must not keep them going.
inline constexpr int kBoundaryPasses = 1000;
inline constexpr int kLastPregapProbe = 1000;
inline constexpr int kPregapSearchProbes = 1000;

}  // namespace korvel::drive
