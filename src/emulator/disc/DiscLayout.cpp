#include "emulator/disc/DiscLayout.h"

#include <algorithm>

#include "emulator/disc/DiscBuilder.h"

namespace korvel::emulator {

std::uint8_t AdrControlOf(const DiscTrack& track) {
  return track.mode == TrackMode::Audio ? kAdrControlAudio : kAdrControlData;
}

std::int32_t DiscLayout::Capacity() const {
  if (disc_.blank || disc_.sessions.empty()) return 0;
  return disc_.sessions.back().leadOut;
}

const DiscTrack* DiscLayout::TrackAt(std::int32_t lba) const {
  if (lba < 0 || lba >= Capacity()) return nullptr;
  for (const DiscTrack& track : disc_.tracks) {
    if (lba >= track.pregapStart && lba < track.end) return &track;
  }
  return nullptr;
}

const DiscTrack* DiscLayout::TrackNumbered(std::uint32_t number) const {
  for (const DiscTrack& track : disc_.tracks) {
    if (track.number == number) return &track;
  }
  return nullptr;
}

const DiscSession* DiscLayout::SessionNumbered(std::uint32_t number) const {
  for (const DiscSession& session : disc_.sessions) {
    if (session.number == number) return &session;
  }
  return nullptr;
}

std::span<const DiscTrack> DiscLayout::TracksOf(const DiscSession& session) const {
  const auto inSession = [&](const DiscTrack& track) { return track.session == session.number; };
  const auto first = std::find_if(disc_.tracks.begin(), disc_.tracks.end(), inSession);
  const auto last = std::find_if_not(first, disc_.tracks.end(), inSession);
  return {first, last};
}

QChannel DiscLayout::QAt(std::int32_t lba) const {
  QChannel q;
  q.absolute = lba;
  if (const DiscTrack* track = TrackAt(lba)) {
    q.adrControl = AdrControlOf(*track);
    q.track = track->number;
    q.index = lba < track->start ? 0 : 1;
    q.relative = lba - track->start;
    return q;
  }
  // A lead-out: that of the last session that ends at or before the block.
  const DiscSession* before = nullptr;
  for (const DiscSession& session : disc_.sessions) {
    if (session.leadOut <= lba) before = &session;
  }
  q.track = kLeadOutTrack;
  q.index = 1;
  if (before != nullptr) {
    const std::span<const DiscTrack> tracks = TracksOf(*before);
    if (!tracks.empty()) q.adrControl = AdrControlOf(tracks.back());
    q.relative = lba - before->leadOut;
  }
  return q;
}

std::int32_t DiscLayout::NextLeadIn() const {
  return disc_.sessions.empty() ? 0 : disc_.sessions.back().leadOut + kLeadOutBlocks;
}

std::int32_t DiscLayout::NextProgramArea() const {
  return NextLeadIn() + kLeadInBlocks + kSessionPregapBlocks;
}

std::int32_t DiscLayout::NextWritable() const {
  if (disc_.blank) return disc_.sessions.empty() ? 0 : disc_.sessions.back().leadOut;
  return NextProgramArea();
}

bool DiscLayout::HasMode2Track() const {
  return std::any_of(disc_.tracks.begin(), disc_.tracks.end(),
                     [](const DiscTrack& track) { return track.mode == TrackMode::Mode2Xa; });
}

}  // namespace korvel::emulator
