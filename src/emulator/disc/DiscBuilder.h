// The ways every loader builds a Disc (scenario JSON, CUE sheets, ISO images), so that all of
// them lay sessions and tracks out as a recorder does.
#pragma once

#include <cstdint>

#include "emulator/disc/Disc.h"

namespace korvel::emulator {

// Between two sessions: the lead-out of the first and the lead-in of the next. The first track
// of the next session then has a pre-gap of 150 blocks, so its index 1 lies 11400 blocks after
// the lead-out start.
inline constexpr std::int32_t kLeadOutBlocks = 6750;
inline constexpr std::int32_t kLeadInBlocks = 4500;
inline constexpr std::int32_t kSessionPregapBlocks = 150;
inline constexpr std::int32_t kMaxTracks = 99;
inline constexpr std::int32_t kMaxSessions = 99;
// A disc of 100 minutes: its last lead-out starts at 99:59:74 at the latest.
inline constexpr std::int32_t kMaxLeadOut = 100 * 60 * 75 - 1 - 150;

// Starts a new session after the last one. The first session begins at block 0; a later one
// after the previous session's lead-out and the new lead-in. Throws ConfigError (without a key
// path) when the disc already holds 99 sessions or the last session holds no track.
void AppendSession(Disc& disc);

// Appends a track to the last session (starting session 1 on an empty disc): `pregap` blocks of
// index 0, then `blocks` blocks of index 1. Throws ConfigError (without a key path) for a track
// beyond 99, an empty track, or a disc that would run past 100 minutes.
DiscTrack& AppendTrack(Disc& disc, TrackMode mode, std::int32_t blocks, std::int32_t pregap);

}  // namespace korvel::emulator
