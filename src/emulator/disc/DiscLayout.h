// Where things are on a Disc: the track, index and track-relative address of a block, its Q
// channel, the sessions and their lead-outs, and where the next session would begin.
#pragma once

#include <cstdint>
#include <span>

#include "emulator/disc/Disc.h"

namespace korvel::emulator {

// ADR 1 (position) in the high nibble, the control nibble in the low one.
inline constexpr std::uint8_t kAdrControlAudio = 0x10;
inline constexpr std::uint8_t kAdrControlData = 0x14;
// The track number that the Q channel and the TOC give the lead-out.
inline constexpr std::uint8_t kLeadOutTrack = 0xAA;

// The Q channel of a block in its position form.
struct QChannel {
  std::uint8_t adrControl = kAdrControlData;
  std::uint8_t track = 0;
  std::uint8_t index = 0;
  std::int32_t absolute = 0;  // the block address
  std::int32_t relative = 0;  // from index 1 of the track; -150..-1 in a 150-block pre-gap
};

std::uint8_t AdrControlOf(const DiscTrack& track);

class DiscLayout {
 public:
  explicit DiscLayout(const Disc& disc) : disc_(disc) {}

  const Disc& disc() const { return disc_; }

  // The blocks a host can address: up to the lead-out of the last closed session; 0 on a blank
  // disc.
  std::int32_t Capacity() const;
  // The track whose pre-gap or body holds `lba`; nullptr in a lead-out or lead-in between
  // sessions and beyond the disc.
  const DiscTrack* TrackAt(std::int32_t lba) const;
  const DiscTrack* TrackNumbered(std::uint32_t number) const;
  const DiscSession* SessionNumbered(std::uint32_t number) const;
  // The tracks of one session, in order.
  std::span<const DiscTrack> TracksOf(const DiscSession& session) const;
  const DiscTrack& LastTrack() const { return disc_.tracks.back(); }

  // The Q channel at `lba` (0 <= lba < Capacity()). Between two sessions it is the Q channel of
  // the earlier session's lead-out: track 0xAA, index 1, counting from the lead-out start.
  QChannel QAt(std::int32_t lba) const;

  // For a disc that can take another session: the start of that session's lead-in, and of its
  // program area (index 1 of its first track).
  std::int32_t NextLeadIn() const;
  std::int32_t NextProgramArea() const;
  // Where the next track would be written on a blank or appendable disc.
  std::int32_t NextWritable() const;

  bool HasMode2Track() const;

 private:
  const Disc& disc_;
};

}  // namespace korvel::emulator
