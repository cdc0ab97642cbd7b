// What a disc holds, read with standard MMC commands only so that any drive answers: its tracks
// with their sessions, kinds and starts, whether a further session can be written, and its
// CD-TEXT data.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "transport/ScsiTransport.h"

namespace korvel::drive {

enum class TrackKind { Audio, Mode1, Mode2, Data };

struct DiscTrackEntry {
  std::uint8_t number = 0;
  std::uint8_t session = 1;  // 1 when the drive gives no full table of contents
  TrackKind kind = TrackKind::Data;
  std::int32_t start = 0;  // the block of index 1, as the table of contents gives it
};

struct DiscContents {
  std::vector<DiscTrackEntry> tracks;
  bool appendable = false;
  // READ TOC format 5 as the drive returned it (header included); empty when the disc has none.
  std::vector<std::uint8_t> cdText;
};

// The largest CD-TEXT answer that is read: 8 blocks of packs, as a disc's lead-in holds them.
inline constexpr std::uint32_t kCdTextMaxLength = 20000;

// Reads the table of contents (a failure ends the routine with that command's status), then the
// full table of contents, track information and CD-TEXT, each of which a drive may refuse
// without failing the routine. 1 on success.
std::int32_t ReadDiscContents(transport::ScsiTransport& transport, std::uint8_t adapter,
                              std::uint8_t target, DiscContents& contents);

// "audio", "mode1", "mode2" or "data" (a data track whose mode the drive did not tell).
const char* TrackKindName(TrackKind kind);

}  // namespace korvel::drive
