#include "drive/DiscPosition.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "drive/CommandsStandard.h"
#include "drive/TocLayout.h"
#include "platform/BigEndian.h"

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
// The last block of a track that a session closes lies two blocks before its lead-out.
constexpr std::int32_t kSessionEndOffset = 152;

// The probe window of the boundary search: slot p holds the relative address seen at absolute
// address L - 20 + p.
constexpr int kWindowSlots = 60;
constexpr int kWindowUsed = 40;
constexpr int kWindowCentre = 20;
constexpr long kEmptySlot = 9999999;

std::int32_t Signed32(const std::uint8_t* bytes) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(platform::GetBigEndian(bytes, 4)));
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

}  // namespace

void ReadQPosition(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::int32_t blockAddress, QPosition& position) {
  using namespace position_layout;
  Seek10(transport, adapter, target, static_cast<std::uint32_t>(blockAddress));
  std::array<std::uint8_t, kSubChannelArea> area{};
  ReadSubChannel(transport, adapter, target, 1, 0, kSubChannelCurrentPosition, 0,
                 kSubChannelAllocation, area.data());
  position.adrControl = area[kAdrControl];
  position.track = area[kTrack];
  position.index = area[kIndex];
  position.absoluteAddress = Signed32(area.data() + kAbsoluteAddress);
  position.relativeAddress = Signed32(area.data() + kRelativeAddress);
}

std::int32_t LocateTrackBoundary(ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::int32_t blockAddress) {
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
    ReadQPosition(transport, adapter, target, static_cast<std::int32_t>(l + offset), q);
    if (l - kWindowCentre < q.absoluteAddress && q.absoluteAddress < l + kWindowCentre) {
      window[static_cast<std::size_t>(q.absoluteAddress - l + kWindowCentre)] = q.relativeAddress;
    }
    std::string trace;
    for (int p = 0; p < kWindowUsed - 1; ++p) {
      const long here = window[static_cast<std::size_t>(p)];
      const long next = window[static_cast<std::size_t>(p) + 1];
      if (here != kEmptySlot && next != kEmptySlot && here > next) {
        if (!trace.empty()) transport.platform().kernel.OutputDebugStringA(trace.c_str());
        return static_cast<std::int32_t>(l + p - (kWindowCentre - 1));
      }
      char field[24];
      std::snprintf(field, sizeof field, "%8ld", here);
      trace += field;
      if (here != kEmptySlot && here > 0 && p - kWindowCentre > lower) lower = p - kWindowCentre;
      if (here != kEmptySlot && here < 0 && p - kWindowCentre < upper) upper = p - kWindowCentre;
    }
    transport.platform().kernel.OutputDebugStringA(trace.c_str());
  }
  return blockAddress;
}

std::int32_t SessionEndOfTrack(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                               std::uint8_t track) {
  using namespace full_toc_layout;
  const std::uint8_t bcdTrack = ToBcd(track);
  std::vector<std::uint8_t> area(kFullTocAllocation, 0);
  if (ReadTocFormatInControlByte(transport, adapter, target, kTocFormatFullToc, kFullTocAllocation,
                                 area.data()) != 1) {
    return -1;
  }
  const auto dataLength = static_cast<std::size_t>(platform::GetBigEndian(&area[kDataLength], 2));
  const FullTocDescriptors descriptors(area, dataLength / kDescriptorSize);
  std::optional<std::int32_t> end;
  bool appendable = false;
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    const auto d = descriptors[i];
    if (d[kPoint] == kPointLastTrack && d[kPmin] == bcdTrack && i + 1 < descriptors.size()) {
      const auto leadOut = descriptors[i + 1];
      end = MinuteSecondFrameToBlock(FromBcd(leadOut[kPmin]), FromBcd(leadOut[kPsec]),
                                     FromBcd(leadOut[kPframe])) -
            kSessionEndOffset;
    }
    if (d[kPoint] == kPointNextProgramArea && d[kMin] != 0xFF && end) appendable = true;
  }
  return appendable ? *end : -1;
}

std::int32_t TrackExtent(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                         std::uint8_t track, TrackExtentRecord& record) {
  using namespace toc_layout;
  const std::int32_t sessionEnd = SessionEndOfTrack(transport, adapter, target, track);
  std::vector<std::uint8_t> toc(kTocAllocation, 0);
  ReadTocFormatInControlByte(transport, adapter, target, kTocFormatToc, kTocAllocation, toc.data());
  const int first = toc[kFirst];
  const int last = toc[kLast];
  const long k = static_cast<long>(track) - first;
  const std::int32_t start = TocAddress(toc, k);
  const std::int32_t next = TocAddress(toc, k + 1);

  std::int32_t end = next;
  if (sessionEnd != -1) {
    end = sessionEnd;
  } else if (track < last) {
    // Find the last block before `next` and the index it belongs to: index 1 means the next
    // track has no pre-gap. When no probe lands before `next`, the table's address stands.
    std::optional<QPosition> before;
    for (int i = 0; i <= kLastPregapProbe; ++i) {
      QPosition q;
      ReadQPosition(transport, adapter, target, next - (i % 4), q);
      if (q.absoluteAddress < next) before = q;
      if (before && before->absoluteAddress == next - 1) break;
    }
    if (before && before->index != 1) {
      // Step back through the pre-gap until the track itself shows, then narrow the step.
      int step = 50;
      std::int32_t position = next - 50;
      QPosition q;
      bool settled = false;
      for (int probe = 0; probe < kPregapSearchProbes && position >= start; ++probe) {
        ReadQPosition(transport, adapter, target, position, q);
        if (q.index == 0) {
          position -= step;
        } else {
          if (position + step < next) position += step;
          step /= 2;
        }
        if (step <= 1) {
          settled = true;
          break;
        }
      }
      // A drive that shows index 0 all the way back leaves the table's address standing.
      if (settled) end = LocateTrackBoundary(transport, adapter, target, q.absoluteAddress);
    }
  }
  platform::PutBigEndian(record.data() + track_extent_layout::kStartFrame,
                         static_cast<std::uint32_t>(start + kFramesBeforeBlockZero), 4);
  platform::PutBigEndian(record.data() + track_extent_layout::kLength,
                         static_cast<std::uint32_t>(end - start), 4);
  return 1;
}

}  // namespace korvel::drive
