// READ SUB-CHANNEL's answers from the disc model: the 4-byte header with the audio status, then
// the Q sub-channel data the host asked for: the SCSI-2 Q sub-channel data (format 0: position,
// media catalog number and the current track's ISRC in one), the current position (1), the media
// catalog number (2) or a track's ISRC (3).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/disc/DiscLayout.h"

namespace korvel::emulator {

enum class SubChannelFormat : std::uint8_t {
  SubQData = 0,
  CurrentPosition = 1,
  MediaCatalogNumber = 2,
  TrackIsrc = 3
};

struct SubChannelRequest {
  bool msf = false;   // addresses as M:S:F rather than block numbers
  bool subQ = false;  // without it, the header alone
  std::uint8_t format = 0;
  std::uint8_t track = 0;  // the track whose ISRC format 3 reports
};

// The whole answer, `position` being the block last sought or read (0 <= position <
// layout.Capacity()); nothing for a format the drive does not know or, in format 3, a track
// number that is not on the disc.
std::optional<std::vector<std::uint8_t>> SubChannelAnswer(const DiscLayout& layout,
                                                          std::int32_t position,
                                                          const SubChannelRequest& request);

}  // namespace korvel::emulator
