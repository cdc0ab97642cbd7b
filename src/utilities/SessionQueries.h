// Two questions the full table of contents answers: does a track end its session, and can the
// disc take a further session.
#pragma once

#include <cstdint>

#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::utilities {

// 1 when some session's last track (POINT A1) is `track`, else 0 (also when a table cannot be
// read). The disc's last track counts only when `lastTrackCounts` is 1.
int IsSessionLastTrack(transport::ScsiTransport& transport, transport::DeviceAddress address,
                       std::uint8_t track, int lastTrackCounts);

// Whether the last session names a next program area (POINT B0 not FF:FF:FF).
bool DiscIsAppendable(transport::ScsiTransport& transport, transport::DeviceAddress address);

}  // namespace korvel::utilities
