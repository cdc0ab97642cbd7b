#include "emulator/disc/DiscBuilder.h"

#include <string>

#include "emulator/ConfigError.h"

namespace korvel::emulator {

void AppendSession(Disc& disc) {
  if (disc.sessions.empty()) {
    disc.sessions.push_back(DiscSession{1, 0});
    return;
  }
  if (disc.sessions.size() >= kMaxSessions) {
    throw ConfigError("a disc holds at most " + std::to_string(kMaxSessions) + " sessions");
  }
  const DiscSession& last = disc.sessions.back();
  if (disc.tracks.empty() || disc.tracks.back().session != last.number) {
    throw ConfigError("session " + std::to_string(last.number) + " holds no track");
  }
  // An empty session's lead-out marks where its first track will begin.
  disc.sessions.push_back(DiscSession{static_cast<std::uint8_t>(last.number + 1),
                                      last.leadOut + kLeadOutBlocks + kLeadInBlocks});
}

DiscTrack& AppendTrack(Disc& disc, TrackMode mode, std::int32_t blocks, std::int32_t pregap) {
  if (disc.sessions.empty()) AppendSession(disc);
  if (disc.tracks.size() >= kMaxTracks) {
    throw ConfigError("a disc holds at most " + std::to_string(kMaxTracks) + " tracks");
  }
  if (blocks <= 0) throw ConfigError("a track holds at least one block");
  if (pregap < 0) throw ConfigError("a pre-gap cannot be negative");
  DiscSession& session = disc.sessions.back();
  const std::int64_t end = std::int64_t{session.leadOut} + pregap + blocks;
  if (end > kMaxLeadOut) {
    throw ConfigError("the disc would be longer than 100 minutes (" + std::to_string(end) +
                      " blocks)");
  }
  DiscTrack track;
  track.number = static_cast<std::uint8_t>(disc.tracks.size() + 1);
  track.session = session.number;
  track.mode = mode;
  track.pregapStart = session.leadOut;
  track.start = session.leadOut + pregap;
  track.end = static_cast<std::int32_t>(end);
  session.leadOut = track.end;
  disc.tracks.push_back(std::move(track));
  return disc.tracks.back();
}

}  // namespace korvel::emulator
