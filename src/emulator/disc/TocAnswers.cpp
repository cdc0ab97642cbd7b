#include "emulator/disc/TocAnswers.h"

#include <algorithm>
#include <array>

#include "emulator/disc/CdText.h"
#include "emulator/disc/DiscTime.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

using formats::PutBigEndian;

// ADR 5 in the high nibble: the B0 and C0 points of a recordable disc.
constexpr std::uint8_t kAdrRecordable = 0x50;
constexpr std::uint8_t kDiscTypeCdRom = 0x00;
constexpr std::uint8_t kDiscTypeXa = 0x20;
constexpr std::uint8_t kNoTime = 0xFF;
constexpr std::uint8_t kAtipAlwaysSet = 0x80;
constexpr std::uint8_t kAtipRewritable = 0x40;
constexpr std::uint8_t kAtipA1Valid = 0x04;
// A disc for any recording, as READ DISC INFORMATION of the same disc says.
constexpr std::uint8_t kAtipUnrestrictedUse = 0x40;

// Sets the data length field to the answer's length less the field itself.
std::vector<std::uint8_t> Finish(std::vector<std::uint8_t> answer) {
  PutBigEndian(answer.data() + toc_layout::kDataLength, answer.size() - 2, 2);
  return answer;
}

void AddTrackDescriptor(std::vector<std::uint8_t>& answer, std::uint8_t adrControl,
                        std::uint8_t number, std::int32_t lba, bool msf) {
  std::array<std::uint8_t, toc_layout::kDescriptorSize> descriptor{};
  descriptor[toc_layout::kAdrControl] = adrControl;
  descriptor[toc_layout::kTrack] = number;
  PutAddress(descriptor.data() + toc_layout::kAddress, lba, msf);
  answer.insert(answer.end(), descriptor.begin(), descriptor.end());
}

struct Point {
  std::uint8_t adrControl = 0;
  std::uint8_t point = 0;
  std::array<std::uint8_t, 3> time{};   // Min, Sec, Frame as sent (BCD or FF)
  std::array<std::uint8_t, 3> ptime{};  // PMIN, PSEC, PFRAME as sent
};

std::array<std::uint8_t, 3> BcdTime(const Msf& time) {
  return {Bcd(time.minute), Bcd(time.second), Bcd(time.frame)};
}

void AddPoint(std::vector<std::uint8_t>& answer, std::uint8_t session, const Point& point) {
  namespace layout = full_toc_layout;
  std::array<std::uint8_t, layout::kDescriptorSize> descriptor{};
  descriptor[layout::kSession] = session;
  descriptor[layout::kAdrControl] = point.adrControl;
  descriptor[layout::kPoint] = point.point;
  std::copy(point.time.begin(), point.time.end(), descriptor.begin() + layout::kMin);
  std::copy(point.ptime.begin(), point.ptime.end(), descriptor.begin() + layout::kPmin);
  answer.insert(answer.end(), descriptor.begin(), descriptor.end());
}

// The points of one session's lead-in: A0, A1, A2, the tracks, and on a recordable or a
// multi-session disc B0 (where the next session's program area starts, FF FF FF when none can
// follow; absent from the last session of a pressed disc) and, on a recordable disc in the
// first session only, C0 (the ATIP lead-in start).
void AddSessionPoints(std::vector<std::uint8_t>& answer, const DiscLayout& layout,
                      const DiscSession& session) {
  const Disc& disc = layout.disc();
  const std::span<const DiscTrack> tracks = layout.TracksOf(session);
  if (tracks.empty()) return;
  const DiscTrack& first = tracks.front();
  const DiscTrack& last = tracks.back();
  const bool xa = std::any_of(tracks.begin(), tracks.end(),
                              [](const DiscTrack& t) { return t.mode == TrackMode::Mode2Xa; });
  const std::uint8_t number = session.number;
  AddPoint(answer, number,
           {AdrControlOf(first),
            kPointFirstTrack,
            {},
            {Bcd(first.number), xa ? kDiscTypeXa : kDiscTypeCdRom, 0}});
  AddPoint(answer, number, {AdrControlOf(last), kPointLastTrack, {}, {Bcd(last.number), 0, 0}});
  AddPoint(answer, number,
           {AdrControlOf(last), kPointLeadOut, {}, BcdTime(MsfOfBlock(session.leadOut))});
  for (const DiscTrack& track : tracks) {
    AddPoint(answer, number,
             {AdrControlOf(track), Bcd(track.number), {}, BcdTime(MsfOfBlock(track.start))});
  }
  // A pressed multi-session disc (a CD Extra) points from each session but its last to the
  // next one just as a recordable disc does, so a reader can find the later sessions.
  const DiscSession* following = layout.SessionNumbered(number + 1u);
  if (!disc.atip && following == nullptr) return;
  const std::uint8_t control = AdrControlOf(last) & 0x0F;
  std::array<std::uint8_t, 3> next{kNoTime, kNoTime, kNoTime};
  if (following != nullptr) {
    const std::span<const DiscTrack> nextTracks = layout.TracksOf(*following);
    if (!nextTracks.empty()) next = BcdTime(MsfOfBlock(nextTracks.front().start));
  } else if (disc.appendable) {
    next = BcdTime(MsfOfBlock(layout.NextProgramArea()));
  }
  const std::array<std::uint8_t, 3> lastLeadOut =
      disc.atip ? BcdTime(disc.atip->leadOut) : BcdTime(MsfOfBlock(disc.sessions.back().leadOut));
  AddPoint(answer, number,
           {static_cast<std::uint8_t>(kAdrRecordable | control), kPointNextProgramArea, next,
            lastLeadOut});
  if (!disc.atip) return;
  if (number == disc.sessions.front().number) {
    AddPoint(answer, number,
             {static_cast<std::uint8_t>(kAdrRecordable | control),
              kPointAtipValues,
              {},
              BcdTime(disc.atip->leadIn)});
  }
}

}  // namespace

void PutAddress(std::uint8_t* out, std::int32_t lba, bool msf) {
  if (!msf) {
    PutBigEndian(out, static_cast<std::uint32_t>(lba), 4);
    return;
  }
  const Msf time = MsfOfBlock(lba);
  out[0] = 0;
  out[1] = time.minute;
  out[2] = time.second;
  out[3] = time.frame;
}

std::optional<std::vector<std::uint8_t>> TocAnswer(const DiscLayout& layout, bool msf,
                                                   std::uint8_t startTrack) {
  const Disc& disc = layout.disc();
  if (disc.blank || disc.tracks.empty() || disc.sessions.empty()) return std::nullopt;
  const DiscTrack& last = layout.LastTrack();
  if (startTrack > last.number && startTrack != kLeadOutTrack) return std::nullopt;
  std::vector<std::uint8_t> answer(toc_layout::kHeaderSize);
  answer[toc_layout::kFirst] = disc.tracks.front().number;
  answer[toc_layout::kLast] = last.number;
  for (const DiscTrack& track : disc.tracks) {
    if (track.number < startTrack) continue;
    AddTrackDescriptor(answer, AdrControlOf(track), track.number, track.start, msf);
  }
  AddTrackDescriptor(answer, AdrControlOf(last), kLeadOutTrack, layout.Capacity(), msf);
  return Finish(std::move(answer));
}

std::optional<std::vector<std::uint8_t>> SessionInfoAnswer(const DiscLayout& layout, bool msf) {
  const Disc& disc = layout.disc();
  if (disc.blank || disc.tracks.empty() || disc.sessions.empty()) return std::nullopt;
  const DiscSession& lastSession = disc.sessions.back();
  const std::span<const DiscTrack> lastTracks = layout.TracksOf(lastSession);
  if (lastTracks.empty()) return std::nullopt;  // a loader left a session without tracks
  const DiscTrack& first = lastTracks.front();
  std::vector<std::uint8_t> answer(toc_layout::kHeaderSize);
  answer[toc_layout::kFirst] = disc.sessions.front().number;
  answer[toc_layout::kLast] = lastSession.number;
  AddTrackDescriptor(answer, AdrControlOf(first), first.number, first.start, msf);
  return Finish(std::move(answer));
}

std::optional<std::vector<std::uint8_t>> FullTocAnswer(const DiscLayout& layout,
                                                       std::uint8_t startSession) {
  const Disc& disc = layout.disc();
  if (disc.blank || disc.tracks.empty() || disc.sessions.empty()) return std::nullopt;
  if (startSession > disc.sessions.back().number) return std::nullopt;
  std::vector<std::uint8_t> answer(toc_layout::kHeaderSize);
  answer[toc_layout::kFirst] = disc.sessions.front().number;
  answer[toc_layout::kLast] = disc.sessions.back().number;
  for (const DiscSession& session : disc.sessions) {
    if (session.number >= startSession) AddSessionPoints(answer, layout, session);
  }
  return Finish(std::move(answer));
}

std::optional<std::vector<std::uint8_t>> AtipAnswer(const Disc& disc) {
  if (!disc.atip) return std::nullopt;
  namespace layout = atip_layout;
  const Atip& atip = *disc.atip;
  std::vector<std::uint8_t> answer(layout::kSize);
  answer[layout::kUse] = kAtipUnrestrictedUse;
  answer[layout::kDiscType] = kAtipAlwaysSet | (atip.rewritable ? kAtipRewritable : 0) |
                              (atip.speedCode != 0 ? kAtipA1Valid : 0);
  answer[layout::kLeadIn] = atip.leadIn.minute;
  answer[layout::kLeadIn + 1] = atip.leadIn.second;
  answer[layout::kLeadIn + 2] = atip.leadIn.frame;
  answer[layout::kLeadOut] = atip.leadOut.minute;
  answer[layout::kLeadOut + 1] = atip.leadOut.second;
  answer[layout::kLeadOut + 2] = atip.leadOut.frame;
  answer[layout::kA1] = atip.speedCode & 0x0F;
  return Finish(std::move(answer));
}

std::optional<std::vector<std::uint8_t>> CdTextAnswer(const Disc& disc) {
  if (disc.blank) return std::nullopt;
  std::vector<std::uint8_t> answer(toc_layout::kHeaderSize);
  const std::vector<std::uint8_t> packs = CdTextPacks(disc);
  answer.insert(answer.end(), packs.begin(), packs.end());
  return Finish(std::move(answer));
}

}  // namespace korvel::emulator
