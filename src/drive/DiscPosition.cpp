#include "drive/DiscPosition.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "drive/CommandsStandard.h"
#include "drive/TocLayout.h"
#include "formats/BigEndian.h"

namespace korvel::drive {
namespace {

using transport::ScsiTransport;

constexpr std::uint8_t kSubChannelCurrentPosition = 1;
constexpr std::uint32_t kSubChannelAllocation = 16;
constexpr std::size_t kSubChannelArea = 100;
namespace position_layout {
constexpr std::size_t kAdrControl = 5;
constexpr std::size_t kTrack = 6;
constexpr std::size_t kIndex = 7;
constexpr std::size_t kAbsoluteAddress = 8;   // 4 bytes
constexpr std::size_t kRelativeAddress = 12;  // 4 bytes
}  // namespace position_layout

constexpr std::uint32_t kFullTocAllocation = 2000;
constexpr std::uint32_t kTocAllocation = 804;
constexpr std::int32_t kFramesBeforeBlockZero = 150;
// A track that a session closes ends with two run-out blocks before the session's lead-out.
constexpr std::int32_t kRunOutBlocks = 2;

// The probe window of the boundary search: slot p holds the relative address seen at absolute
// address L - 20 + p.
constexpr int kWindowSlots = 60;
constexpr int kWindowUsed = 40;
constexpr int kWindowCentre = 20;
constexpr long kEmptySlot = 9999999;

std::int32_t Signed32(const std::uint8_t* bytes) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(formats::GetBigEndian(bytes, 4)));
}

int MinuteSecondFrameToBlock(int minute, int second, int frame) {
  return minute * 4500 + second * 75 + frame;
}

// The address of the table's descriptor `index`; zero for a descriptor the answer area cannot
// hold (a track number outside the table).
std::int32_t TocAddress(const std::vector<std::uint8_t>& toc, long index) {
  using namespace toc_layout;
  if (index < 0) return 0;
  const std::size_t at = kHeaderSize + kDescriptorSize * static_cast<std::size_t>(index);
  if (at + kDescriptorSize > toc.size()) return 0;
  return Signed32(toc.data() + at + kAddress);
}

// Both commands of a Q position read, whose outputs are set whatever the status; true when the
// drive carried out both (a refused SEEK leaves the head elsewhere, so its answer is not the
// block's).
bool ProbeQPosition(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::int32_t blockAddress, QPosition& position) {
  using namespace position_layout;
  const std::int32_t seek =
      Seek10(transport, adapter, target, static_cast<std::uint32_t>(blockAddress));
  std::array<std::uint8_t, kSubChannelArea> area{};
  const std::int32_t read =
      ReadSubChannel(transport, adapter, target, 1, 0, kSubChannelCurrentPosition, 0,
                     kSubChannelAllocation, area.data());
  position.adrControl = area[kAdrControl];
  position.track = area[kTrack];
  position.index = area[kIndex];
  position.absoluteAddress = Signed32(area.data() + kAbsoluteAddress);
  position.relativeAddress = Signed32(area.data() + kRelativeAddress);
  return seek == 1 && read == 1;
}

// The boundary search of LocateTrackBoundary. Slots of blocks before `trackStart` are passed
// over, neither a drop nor a bound: a track's end lies after its start, and around a track of a
// few blocks the window also holds the end of the track before it and its own pre-gap, whose
// drop and negative addresses would otherwise be taken for the boundary or keep the search from
// reaching it. With `stopWhenRefused` the search ends, without a boundary, at the first probe the
// drive refuses. Nothing when no drop showed.
std::optional<std::int32_t> SearchBoundary(ScsiTransport& transport, std::uint8_t adapter,
                                           std::uint8_t target, std::int32_t blockAddress,
                                           std::int64_t trackStart, bool stopWhenRefused) {
  const std::int64_t l = blockAddress;
  std::array<long, kWindowSlots> window;
  window.fill(kEmptySlot);
  int offset = -10;
  int lower = -kWindowCentre;
  int upper = kWindowCentre - 1;
  int probes = 0;
  for (int pass = 0; pass < kBoundaryPasses; ++pass) {
    // Every offset after the first is probed on two successive passes.
    if (probes % 2 == 1) offset = offset < upper ? offset + 1 : lower;
    ++probes;
    QPosition q;
    if (!ProbeQPosition(transport, adapter, target, static_cast<std::int32_t>(l + offset), q) &&
        stopWhenRefused) {
      return std::nullopt;
    }
    if (l - kWindowCentre < q.absoluteAddress && q.absoluteAddress < l + kWindowCentre) {
      window[static_cast<std::size_t>(q.absoluteAddress - l + kWindowCentre)] = q.relativeAddress;
    }
    std::string trace;
    for (int p = 0; p < kWindowUsed - 1; ++p) {
      const long here = window[static_cast<std::size_t>(p)];
      const long next = window[static_cast<std::size_t>(p) + 1];
      const bool inTrack = l - kWindowCentre + p >= trackStart;
      if (inTrack && here != kEmptySlot && next != kEmptySlot && here > next) {
        if (!trace.empty()) transport.platform().kernel.OutputDebugStringA(trace.c_str());
        return static_cast<std::int32_t>(l + p - (kWindowCentre - 1));
      }
      char field[24];
      std::snprintf(field, sizeof field, "%8ld", here);
      trace += field;
      if (!inTrack || here == kEmptySlot) continue;
      if (here > 0 && p - kWindowCentre > lower) lower = p - kWindowCentre;
      if (here < 0 && p - kWindowCentre < upper) upper = p - kWindowCentre;
    }
    transport.platform().kernel.OutputDebugStringA(trace.c_str());
  }
  return std::nullopt;
}

// The session end the full TOC gives for `track`: the start of its session's lead-out, when the
// track is the session's last and a further session can follow. `status` is that of the READ
// TOC.
struct SessionLeadOut {
  std::int32_t status = 1;
  std::optional<std::int32_t> leadOut;
};

SessionLeadOut ReadSessionLeadOut(ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint8_t track) {
  using namespace full_toc_layout;
  const std::uint8_t bcdTrack = ToBcd(track);
  std::vector<std::uint8_t> area(kFullTocAllocation, 0);
  const std::int32_t status = ReadTocFormatInControlByte(
      transport, adapter, target, kTocFormatFullToc, kFullTocAllocation, area.data());
  if (status != 1) return {status, std::nullopt};
  const auto dataLength = static_cast<std::size_t>(formats::GetBigEndian(&area[kDataLength], 2));
  const FullTocDescriptors descriptors(area, dataLength / kDescriptorSize);
  std::optional<std::int32_t> leadOut;
  bool appendable = false;
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    const auto d = descriptors[i];
    if (d[kPoint] == kPointLastTrack && d[kPmin] == bcdTrack && i + 1 < descriptors.size()) {
      const auto next = descriptors[i + 1];
      leadOut = MinuteSecondFrameToBlock(FromBcd(next[kPmin]), FromBcd(next[kPsec]),
                                         FromBcd(next[kPframe])) -
                kFramesBeforeBlockZero;
    }
    if (d[kPoint] == kPointNextProgramArea && d[kMin] != 0xFF && leadOut) appendable = true;
  }
  return {1, appendable ? leadOut : std::nullopt};
}

// The end of a track that the next one follows in its session: the block before the next
// track's pre-gap, as the Q channel shows it. Nothing when the drive refused a probe or its
// answers did not lead to an end.
std::optional<std::int32_t> ProbeEndBeforeNext(ScsiTransport& transport, std::uint8_t adapter,
                                               std::uint8_t target, std::int32_t start,
                                               std::int32_t next) {
  // Find the last block before `next` and the index it belongs to: index 1 means the next
  // track has no pre-gap.
  std::optional<QPosition> before;
  for (int i = 0; i <= kLastPregapProbe; ++i) {
    QPosition q;
    if (!ProbeQPosition(transport, adapter, target, next - (i % 4), q)) return std::nullopt;
    if (q.absoluteAddress < next) before = q;
    if (before && before->absoluteAddress == next - 1) break;
  }
  if (!before) return std::nullopt;
  if (before->index == 1) return next;
  // Step back through the pre-gap until the track itself shows, then narrow the step. The
  // steps stop at the track's start, which a one-block track lies right before the pre-gap.
  int step = 50;
  std::int32_t position = next - 50;
  QPosition q;
  bool settled = false;
  for (int probe = 0; probe < kPregapSearchProbes && !settled; ++probe) {
    if (!ProbeQPosition(transport, adapter, target, position, q)) return std::nullopt;
    if (q.index == 0) {
      position = std::max(position - step, start);
    } else {
      if (position + step < next) position += step;
      step /= 2;
    }
    settled = step <= 1;
  }
  // A drive that shows index 0 all the way back gives no end.
  if (!settled) return std::nullopt;
  return SearchBoundary(transport, adapter, target, q.absoluteAddress, start, true);
}

}  // namespace

void ReadQPosition(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::int32_t blockAddress, QPosition& position) {
  ProbeQPosition(transport, adapter, target, blockAddress, position);
}

std::int32_t LocateTrackBoundary(ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::int32_t blockAddress) {
  return SearchBoundary(transport, adapter, target, blockAddress,
                        std::numeric_limits<std::int64_t>::min(), false)
      .value_or(blockAddress);
}

std::int32_t SessionEndOfTrack(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                               std::uint8_t track) {
  const SessionLeadOut session = ReadSessionLeadOut(transport, adapter, target, track);
  return session.leadOut ? *session.leadOut - kRunOutBlocks : -1;
}

TrackExtentOutcome FindTrackExtent(ScsiTransport& transport, std::uint8_t adapter,
                                   std::uint8_t target, std::uint8_t track,
                                   TrackExtentRecord& record) {
  using namespace toc_layout;
  const SessionLeadOut session = ReadSessionLeadOut(transport, adapter, target, track);
  // A drive that refuses the full TOC tells no session ends; the lengths then come from the
  // table and the probes alone, and the probes cannot tell the gap between two sessions from a
  // pre-gap.
  const bool sessionsKnown = session.status == 1;
  std::vector<std::uint8_t> toc(kTocAllocation, 0);
  const std::int32_t status = ReadTocFormatInControlByte(transport, adapter, target, kTocFormatToc,
                                                         kTocAllocation, toc.data());
  if (status != 1) return {status, false};
  const int first = toc[kFirst];
  const int last = toc[kLast];
  const long k = static_cast<long>(track) - first;
  const std::int32_t start = TocAddress(toc, k);
  const std::int32_t next = TocAddress(toc, k + 1);

  std::int32_t end = next;
  bool verified = true;
  if (session.leadOut) {
    // The run-out blocks are not the track's; a track too short to hold them keeps one block,
    // so a length never falls as the track grows and never below 1.
    end = std::max(*session.leadOut - kRunOutBlocks, std::min(start + 1, *session.leadOut));
  } else if (track < last) {
    const std::optional<std::int32_t> probed =
        ProbeEndBeforeNext(transport, adapter, target, start, next);
    // Without an answer of the drive the table's address is all there is.
    verified = probed.has_value() && sessionsKnown;
    if (probed) end = *probed;
  }
  if (end < start) {
    // A table whose next address lies before the track's own gives no length.
    end = start;
    verified = false;
  }
  formats::PutBigEndian(record.data() + track_extent_layout::kStartFrame,
                        static_cast<std::uint32_t>(start + kFramesBeforeBlockZero), 4);
  formats::PutBigEndian(record.data() + track_extent_layout::kLength,
                        static_cast<std::uint32_t>(end - start), 4);
  return {1, verified};
}

std::int32_t TrackExtent(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                         std::uint8_t track, TrackExtentRecord& record) {
  return FindTrackExtent(transport, adapter, target, track, record).status;
}

}  // namespace korvel::drive
