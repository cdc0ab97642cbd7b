#include "drive/DiscContents.h"

#include <algorithm>
#include <array>

#include "drive/CommandsStandard.h"
#include "drive/TocLayout.h"
#include "formats/BigEndian.h"

namespace korvel::drive {
namespace {

using transport::ScsiTransport;

constexpr std::uint32_t kTocAllocation = 804;
constexpr std::uint32_t kFullTocAllocation = 4096;
constexpr std::uint32_t kCdTextHeaderLength = 4;
constexpr std::uint32_t kTrackInformationLength = 28;
constexpr std::uint8_t kAddressTypeTrack = 1;
namespace track_information_layout {
constexpr std::size_t kDataMode = 6;  // low nibble: 1 mode 1, 2 mode 2, 0x0F unknown
}  // namespace track_information_layout

std::size_t DataLengthOf(const std::vector<std::uint8_t>& answer) {
  return static_cast<std::size_t>(formats::GetBigEndian(answer.data(), 2));
}

TrackKind KindOf(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                 std::uint8_t adrControl, std::uint8_t number) {
  if ((adrControl & toc_layout::kDataTrackBit) == 0) return TrackKind::Audio;
  std::array<std::uint8_t, kTrackInformationLength> info{};
  if (ReadTrackInformation(transport, adapter, target, kAddressTypeTrack, number,
                           kTrackInformationLength, info.data()) != 1) {
    return TrackKind::Data;
  }
  switch (info[track_information_layout::kDataMode] & 0x0F) {
    case 1:
      return TrackKind::Mode1;
    case 2:
      return TrackKind::Mode2;
    default:
      return TrackKind::Data;
  }
}

// Sessions of the tracks and whether the last session is open, from the full TOC. A drive that
// refuses it leaves every track in session 1 and the disc closed.
void ReadSessions(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                  DiscContents& contents) {
  using namespace full_toc_layout;
  std::vector<std::uint8_t> answer(kFullTocAllocation, 0);
  if (ReadToc(transport, adapter, target, kTocFormatFullToc, 0, kFullTocAllocation,
              answer.data()) != 1) {
    return;
  }
  const std::uint8_t lastSession = answer[kLast];
  // The data length counts 2 header bytes and then the descriptors.
  const FullTocDescriptors descriptors(answer, DataLengthOf(answer) / kDescriptorSize);
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    const auto d = descriptors[i];
    const int point = FromBcd(d[kPoint]);
    if (d[kPoint] < kPointFirstTrack) {
      for (DiscTrackEntry& track : contents.tracks) {
        if (track.number == point) track.session = d[kSession];
      }
    }
    if (d[kPoint] == kPointNextProgramArea && d[kSession] == lastSession &&
        !(d[kMin] == 0xFF && d[kSec] == 0xFF && d[kFrame] == 0xFF)) {
      contents.appendable = true;
    }
  }
}

void ReadCdText(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                DiscContents& contents) {
  std::vector<std::uint8_t> header(kCdTextHeaderLength, 0);
  if (ReadTocCdText(transport, adapter, target, kCdTextHeaderLength, header.data()) != 1) return;
  // The data length counts the bytes after itself.
  const std::uint32_t length = std::min<std::uint32_t>(
      static_cast<std::uint32_t>(DataLengthOf(header)) + 2, kCdTextMaxLength);
  if (length <= kCdTextHeaderLength) return;
  std::vector<std::uint8_t> answer(length, 0);
  if (ReadTocCdText(transport, adapter, target, length, answer.data()) != 1) return;
  contents.cdText = std::move(answer);
}

}  // namespace

std::int32_t ReadDiscContents(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                              DiscContents& contents) {
  using namespace toc_layout;
  contents = {};
  std::vector<std::uint8_t> toc(kTocAllocation, 0);
  const std::int32_t status =
      ReadToc(transport, adapter, target, kTocFormatToc, 0, kTocAllocation, toc.data());
  if (status != 1) return status;
  const std::size_t length = std::min<std::size_t>(DataLengthOf(toc) + 2, toc.size());
  for (std::size_t at = kHeaderSize; at + kDescriptorSize <= length; at += kDescriptorSize) {
    const std::uint8_t number = toc[at + kTrack];
    if (number < 1 || number > 99) continue;  // the lead-out (0xAA) and anything odd
    DiscTrackEntry track;
    track.number = number;
    track.start = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(formats::GetBigEndian(&toc[at + kAddress], 4)));
    track.kind = KindOf(transport, adapter, target, toc[at + kAdrControl], number);
    contents.tracks.push_back(track);
  }
  ReadSessions(transport, adapter, target, contents);
  ReadCdText(transport, adapter, target, contents);
  return 1;
}

const char* TrackKindName(TrackKind kind) {
  switch (kind) {
    case TrackKind::Audio:
      return "audio";
    case TrackKind::Mode1:
      return "mode1";
    case TrackKind::Mode2:
      return "mode2";
    case TrackKind::Data:
      break;
  }
  return "data";
}

}  // namespace korvel::drive
