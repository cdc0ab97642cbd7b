#include "emulator/disc/DiscInfoAnswers.h"

#include <algorithm>

#include "emulator/disc/DiscTime.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

using formats::PutBigEndian;

constexpr std::uint8_t kUnrestrictedUse = 0x20;
constexpr std::uint8_t kDiscTypeXa = 0x20;
constexpr std::uint32_t kNoAddress = 0xFFFFFFFF;
constexpr std::uint8_t kTrackReserved = 0x80;
constexpr std::uint8_t kTrackBlank = 0x40;
constexpr std::uint8_t kDataModeUnknown = 0x0F;
constexpr std::uint8_t kNextWritableValid = 0x01;

void PutMsfAddress(std::uint8_t* out, const Msf& time) {
  out[0] = 0;
  out[1] = time.minute;
  out[2] = time.second;
  out[3] = time.frame;
}

// A recordable disc that can still be written: blank, or with room for another session.
bool Writable(const Disc& disc) {
  return disc.atip && (disc.blank || disc.appendable);
}

std::uint8_t DataModeOf(TrackMode mode) {
  switch (mode) {
    case TrackMode::Mode1:
      return 1;
    case TrackMode::Mode2Xa:
      return 2;
    case TrackMode::Audio:
      return kDataModeUnknown;
  }
  return kDataModeUnknown;
}

std::vector<std::uint8_t> RecordedTrack(const DiscTrack& track) {
  namespace layout = track_info_layout;
  std::vector<std::uint8_t> answer(layout::kSize);
  PutBigEndian(answer.data() + layout::kDataLength, answer.size() - 2, 2);
  answer[layout::kTrack] = track.number;
  answer[layout::kSession] = track.session;
  answer[layout::kTrackMode] = AdrControlOf(track) & 0x0F;
  answer[layout::kDataMode] = (track.packet ? kTrackPacket : 0) | DataModeOf(track.mode);
  PutBigEndian(answer.data() + layout::kStart, static_cast<std::uint32_t>(track.start), 4);
  PutBigEndian(answer.data() + layout::kTrackSize,
               static_cast<std::uint32_t>(track.end - track.start), 4);
  PutBigEndian(answer.data() + layout::kLastRecorded, static_cast<std::uint32_t>(track.end - 1), 4);
  return answer;
}

// The track that the next write would create: blank, from the next writable block to the
// ATIP's last possible lead-out.
std::vector<std::uint8_t> InvisibleTrack(const DiscLayout& layout) {
  namespace info = track_info_layout;
  const Disc& disc = layout.disc();
  std::vector<std::uint8_t> answer(info::kSize);
  PutBigEndian(answer.data() + info::kDataLength, answer.size() - 2, 2);
  answer[info::kTrack] = static_cast<std::uint8_t>(disc.tracks.size() + 1);
  answer[info::kSession] = static_cast<std::uint8_t>(disc.blank ? 1 : disc.sessions.size() + 1);
  answer[info::kTrackMode] = kAdrControlData & 0x0F;
  answer[info::kDataMode] = kTrackReserved | kTrackBlank | kDataModeUnknown;
  answer[info::kValid] = kNextWritableValid;
  const std::int32_t start = layout.NextWritable();
  const std::int32_t free = std::max(0, BlockOfMsf(disc.atip->leadOut) - start);
  PutBigEndian(answer.data() + info::kStart, static_cast<std::uint32_t>(start), 4);
  PutBigEndian(answer.data() + info::kNextWritable, static_cast<std::uint32_t>(start), 4);
  PutBigEndian(answer.data() + info::kFreeBlocks, static_cast<std::uint32_t>(free), 4);
  PutBigEndian(answer.data() + info::kTrackSize, static_cast<std::uint32_t>(free), 4);
  return answer;
}

}  // namespace

std::vector<std::uint8_t> DiscInformationAnswer(const DiscLayout& layout) {
  namespace info = disc_info_layout;
  const Disc& disc = layout.disc();
  std::vector<std::uint8_t> answer(info::kSize);
  PutBigEndian(answer.data() + info::kDataLength, answer.size() - 2, 2);

  DiscStatus status = DiscStatus::Complete;
  SessionState lastSession = SessionState::Complete;
  std::uint32_t sessions = static_cast<std::uint32_t>(disc.sessions.size());
  std::uint32_t firstOfLast = 1;
  std::uint32_t lastOfLast = disc.tracks.empty() ? 1 : disc.tracks.back().number;
  const std::uint32_t nextTrack = static_cast<std::uint32_t>(disc.tracks.size() + 1);
  if (disc.blank) {
    // Tracks that packet writing put into the still open first session leave it incomplete.
    status = disc.tracks.empty() ? DiscStatus::Blank : DiscStatus::Incomplete;
    lastSession = disc.tracks.empty() ? SessionState::Empty : SessionState::Incomplete;
    sessions = 1;
  } else if (disc.appendable) {
    status = DiscStatus::Incomplete;
    lastSession = SessionState::Empty;
    sessions += 1;
    firstOfLast = lastOfLast = nextTrack;
  } else if (!disc.sessions.empty()) {
    const std::span<const DiscTrack> lastTracks = layout.TracksOf(disc.sessions.back());
    firstOfLast = lastTracks.empty() ? lastOfLast : lastTracks.front().number;
  }
  const bool erasable = disc.atip && disc.atip->rewritable;
  answer[info::kStatus] = static_cast<std::uint8_t>((erasable ? kDiscErasable : 0) |
                                                    static_cast<std::uint8_t>(lastSession) << 2 |
                                                    static_cast<std::uint8_t>(status));
  answer[info::kFirstTrack] = 1;
  answer[info::kSessions] = static_cast<std::uint8_t>(sessions);
  answer[info::kFirstTrackOfLastSession] = static_cast<std::uint8_t>(firstOfLast);
  answer[info::kLastTrackOfLastSession] = static_cast<std::uint8_t>(lastOfLast);
  answer[info::kFlags] = disc.atip ? kUnrestrictedUse : 0;
  answer[info::kDiscType] = layout.HasMode2Track() ? kDiscTypeXa : 0;
  if (Writable(disc)) {
    const Msf leadIn = disc.blank ? disc.atip->leadIn : MsfOfBlock(layout.NextLeadIn());
    PutMsfAddress(answer.data() + info::kLastSessionLeadIn, leadIn);
    PutMsfAddress(answer.data() + info::kLastPossibleLeadOut, disc.atip->leadOut);
  } else {
    PutBigEndian(answer.data() + info::kLastSessionLeadIn, kNoAddress, 4);
    PutBigEndian(answer.data() + info::kLastPossibleLeadOut, kNoAddress, 4);
  }
  return answer;
}

std::optional<std::vector<std::uint8_t>> TrackInformationAnswer(const DiscLayout& layout,
                                                                TrackAddressType type,
                                                                std::uint32_t number) {
  const Disc& disc = layout.disc();
  const bool writable = Writable(disc);
  const auto nextTrack = static_cast<std::uint32_t>(disc.tracks.size() + 1);
  switch (type) {
    case TrackAddressType::Block: {
      const auto lba = static_cast<std::int32_t>(number);
      for (const DiscTrack& track : disc.tracks) {
        if (lba >= track.pregapStart && lba < track.end) return RecordedTrack(track);
      }
      if (writable && lba >= layout.NextWritable() && lba < BlockOfMsf(disc.atip->leadOut)) {
        return InvisibleTrack(layout);
      }
      return std::nullopt;
    }
    case TrackAddressType::Track:
      if (const DiscTrack* track = layout.TrackNumbered(number); track && number != 0) {
        return RecordedTrack(*track);
      }
      if (writable && (number == nextTrack || number == kInvisibleTrack)) {
        return InvisibleTrack(layout);
      }
      return std::nullopt;
    case TrackAddressType::Session: {
      if (const DiscSession* session = layout.SessionNumbered(number); session && number != 0) {
        const std::span<const DiscTrack> tracks = layout.TracksOf(*session);
        if (!tracks.empty()) return RecordedTrack(tracks.front());
      }
      const auto nextSession =
          static_cast<std::uint32_t>(disc.blank ? 1 : disc.sessions.size() + 1);
      if (writable && number == nextSession) {
        return InvisibleTrack(layout);
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace korvel::emulator
