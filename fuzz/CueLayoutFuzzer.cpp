// The layout of a CUE sheet's disc: a sheet the reader takes, laid out over files of any size.
// It must either give a disc or refuse the sizes with a ConfigError; any other exception, a crash
// or undefined behaviour is a fault, and so is a disc that breaks what every disc command relies
// on (tracks in order one after another, lengths above zero, each lead-out after its session's
// tracks, stored blocks inside their file, nothing past 100 minutes).
//
// The input: one byte N (taken modulo 17), N sizes of 4 bytes each, then the sheet's text. File
// f of the sheet gets size f modulo N (a CD's worth of 2352-byte sectors when N is 0). The two
// low bits of a size choose how its other 30 bits count: 2352-byte sectors, 2048-byte sectors,
// bytes, or 2352-byte sectors and a few bytes more (a file that is not whole sectors).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "emulator/ConfigError.h"
#include "emulator/disc/DiscBuilder.h"
#include "emulator/disc/DiscLayout.h"
#include "emulator/images/CueSheet.h"
#include "emulator/images/ImageDiscs.h"

namespace {

using namespace korvel::emulator;

constexpr std::size_t kMaxSizes = 16;
constexpr std::uint64_t kDefaultSize = std::uint64_t{2352} * 75 * 60 * 10;

std::uint64_t SizeOf(const std::uint8_t* bytes) {
  const std::uint32_t word =
      bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  const std::uint64_t count = word >> 2;
  switch (word & 3) {
    case 0:
      return count * 2352;
    case 1:
      return count * 2048;
    case 2:
      return count;
    default:
      return count * 2352 + (count % 7) + 1;
  }
}

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

void CheckDisc(const Disc& disc, const CueSheet& sheet, const std::vector<std::uint64_t>& sizes) {
  Check(!disc.blank && !disc.sessions.empty());
  Check(disc.tracks.size() == sheet.tracks.size());
  for (std::size_t s = 0; s < disc.sessions.size(); ++s) {
    const DiscSession& session = disc.sessions[s];
    Check(std::size_t{session.number} == s + 1);
    Check(session.leadOut > 0 && session.leadOut <= kMaxLeadOut);
    if (s > 0) {
      Check(session.leadOut > disc.sessions[s - 1].leadOut + kLeadOutBlocks + kLeadInBlocks);
    }
  }
  const DiscLayout layout(disc);
  Check(layout.Capacity() == disc.sessions.back().leadOut);
  for (std::size_t t = 0; t < disc.tracks.size(); ++t) {
    const DiscTrack& track = disc.tracks[t];
    const CueTrack& cue = sheet.tracks[t];
    Check(std::size_t{track.number} == t + 1 && track.session == cue.session);
    Check(track.session >= 1 && std::size_t{track.session} <= disc.sessions.size());
    Check(track.pregapStart >= 0 && track.pregapStart <= track.start && track.start < track.end);
    const DiscSession& session = disc.sessions[track.session - 1];
    Check(track.end <= session.leadOut);
    const bool firstOfSession = t == 0 || disc.tracks[t - 1].session != track.session;
    if (firstOfSession) {
      const std::int32_t sessionStart =
          track.session == 1
              ? 0
              : disc.sessions[track.session - 2].leadOut + kLeadOutBlocks + kLeadInBlocks;
      Check(track.pregapStart == sessionStart);
      if (track.session > 1) Check(track.start - track.pregapStart >= 1);
    } else {
      Check(track.pregapStart == disc.tracks[t - 1].end);
    }
    const bool lastOfSession =
        t + 1 == disc.tracks.size() || disc.tracks[t + 1].session != track.session;
    if (lastOfSession) Check(track.end == session.leadOut);
    // The stored blocks lie inside the track and inside its file.
    Check(track.data.has_value());
    const TrackData& data = *track.data;
    Check(data.sectorSize == SectorSizeOf(cue.type));
    Check(data.blockCount > 0);
    Check(data.firstBlock >= track.pregapStart &&
          std::int64_t{data.firstBlock} + data.blockCount <= track.end);
    Check(data.offset % data.sectorSize == 0);
    Check(data.offset +
              std::uint64_t{static_cast<std::uint32_t>(data.blockCount)} * data.sectorSize <=
          sizes[cue.index1.file]);
    // Every block of the track is found in it, and its Q channel says so.
    for (const std::int32_t lba : {track.pregapStart, track.start, track.end - 1}) {
      Check(layout.TrackAt(lba) == &track);
      const QChannel q = layout.QAt(lba);
      Check(q.track == track.number && q.index == (lba < track.start ? 0 : 1));
      Check(q.relative == lba - track.start);
    }
  }
  for (const DiscSession& session : disc.sessions) {
    Check(!layout.TracksOf(session).empty());
    if (session.leadOut < layout.Capacity()) {
      Check(layout.TrackAt(session.leadOut) == nullptr);
      Check(layout.QAt(session.leadOut).track == kLeadOutTrack);
    }
  }
  Check(layout.TrackAt(layout.Capacity()) == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t count = data[0] % (kMaxSizes + 1);
  if (size < 1 + 4 * count) return 0;
  std::vector<std::uint64_t> choices;
  for (std::size_t i = 0; i < count; ++i) choices.push_back(SizeOf(data + 1 + 4 * i));
  const std::string_view text(reinterpret_cast<const char*>(data + 1 + 4 * count),
                              size - 1 - 4 * count);
  CueSheet sheet;
  try {
    sheet = ParseCueSheet(text, "fuzz.cue");
  } catch (const ConfigError&) {
    return 0;
  }
  std::vector<std::uint64_t> sizes;
  for (std::size_t f = 0; f < sheet.files.size(); ++f) {
    sizes.push_back(choices.empty() ? kDefaultSize : choices[f % choices.size()]);
  }
  try {
    CheckDisc(LayOutCueSizes(sheet, "fuzz.cue", sizes), sheet, sizes);
  } catch (const ConfigError&) {
  }
  return 0;
}
