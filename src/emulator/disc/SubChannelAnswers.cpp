#include "emulator/disc/SubChannelAnswers.h"

#include <algorithm>
#include <string_view>

#include "emulator/disc/DiscCodes.h"
#include "emulator/disc/DiscTime.h"
#include "emulator/disc/TocAnswers.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

// No play operation is ever running on this drive.
constexpr std::uint8_t kNoAudioStatus = 0x15;
// ADR 3 in the high nibble: the Q frames that carry a track's ISRC.
constexpr std::uint8_t kAdrIsrc = 0x30;
constexpr std::uint8_t kControlMask = 0x0F;

namespace sub_channel_layout {
constexpr std::size_t kAudioStatus = 1;
constexpr std::size_t kDataLength = 2;  // 2 bytes: what follows the header
constexpr std::size_t kHeaderSize = 4;
constexpr std::size_t kFormat = 4;
// Formats 0 and 1: the position; format 3 has the ADR/control and track bytes too.
constexpr std::size_t kAdrControl = 5;
constexpr std::size_t kTrack = 6;
constexpr std::size_t kIndex = 7;
constexpr std::size_t kAbsolute = 8;   // 4 bytes
constexpr std::size_t kRelative = 12;  // 4 bytes
constexpr std::size_t kPositionSize = 16;
// A code field: a byte with the valid bit (MCVal, TCVal), then 15 bytes: the 13 digits of the
// catalog number or the 12 characters of the ISRC, a zero byte and the AFRAME, the frame in which
// the code was read (0: the drive makes the code from the disc, not from one frame).
constexpr std::uint8_t kCodeValid = 0x80;
constexpr std::size_t kCodeFieldSize = 16;
// Formats 2 and 3: the code field after 4 bytes of format code and (format 3) track.
constexpr std::size_t kCode = 8;
constexpr std::size_t kCodeAnswerSize = kCode + kCodeFieldSize;
// Format 0: the position, then the catalog number field and the current track's ISRC field.
constexpr std::size_t kSubQCatalog = kPositionSize;
constexpr std::size_t kSubQIsrc = kSubQCatalog + kCodeFieldSize;
constexpr std::size_t kSubQSize = kSubQIsrc + kCodeFieldSize;
}  // namespace sub_channel_layout

namespace layout = sub_channel_layout;

std::vector<std::uint8_t> Header(std::size_t size) {
  std::vector<std::uint8_t> answer(size);
  answer[layout::kAudioStatus] = kNoAudioStatus;
  formats::PutBigEndian(answer.data() + layout::kDataLength, size - layout::kHeaderSize, 2);
  return answer;
}

// A relative address in M:S:F: the Q channel counts a pre-gap down to index 1.
void PutRelativeAddress(std::uint8_t* out, std::int32_t relative, bool msf) {
  if (!msf) {
    formats::PutBigEndian(out, static_cast<std::uint32_t>(relative), 4);
    return;
  }
  const Msf time = MsfOfFrames(relative < 0 ? -relative : relative);
  out[0] = 0;
  out[1] = time.minute;
  out[2] = time.second;
  out[3] = time.frame;
}

void PutPosition(std::vector<std::uint8_t>& answer, const QChannel& q, bool msf) {
  answer[layout::kAdrControl] = q.adrControl;
  answer[layout::kTrack] = q.track;
  answer[layout::kIndex] = q.index;
  PutAddress(answer.data() + layout::kAbsolute, q.absolute, msf);
  PutRelativeAddress(answer.data() + layout::kRelative, q.relative, msf);
}

// A disc without the code leaves the field zero, its valid bit clear. The readers of the disc
// have checked the code's length; a longer one is cut, never written past its field.
void PutCode(std::vector<std::uint8_t>& answer, std::size_t at, std::string_view code,
             std::size_t length) {
  if (code.empty()) return;
  answer[at] = layout::kCodeValid;
  std::copy_n(code.begin(), std::min(code.size(), length),
              answer.begin() + static_cast<std::ptrdiff_t>(at + 1));
}

std::string_view IsrcOf(const DiscTrack* track) {
  return track != nullptr ? std::string_view(track->isrc) : std::string_view();
}

}  // namespace

std::optional<std::vector<std::uint8_t>> SubChannelAnswer(const DiscLayout& layout,
                                                          std::int32_t position,
                                                          const SubChannelRequest& request) {
  if (!request.subQ) return Header(layout::kHeaderSize);
  const Disc& disc = layout.disc();
  std::vector<std::uint8_t> answer;
  switch (static_cast<SubChannelFormat>(request.format)) {
    case SubChannelFormat::SubQData: {
      const QChannel q = layout.QAt(position);
      answer = Header(layout::kSubQSize);
      PutPosition(answer, q, request.msf);
      PutCode(answer, layout::kSubQCatalog, disc.catalog, kCatalogDigits);
      // In a lead-out between sessions (track 0xAA) no track's ISRC is read.
      PutCode(answer, layout::kSubQIsrc, IsrcOf(layout.TrackNumbered(q.track)), kIsrcLength);
      break;
    }
    case SubChannelFormat::CurrentPosition:
      answer = Header(layout::kPositionSize);
      PutPosition(answer, layout.QAt(position), request.msf);
      break;
    case SubChannelFormat::MediaCatalogNumber:
      answer = Header(layout::kCodeAnswerSize);
      PutCode(answer, layout::kCode, disc.catalog, kCatalogDigits);
      break;
    case SubChannelFormat::TrackIsrc: {
      const DiscTrack* track = layout.TrackNumbered(request.track);
      if (track == nullptr) return std::nullopt;
      answer = Header(layout::kCodeAnswerSize);
      const std::uint8_t adrControl = AdrControlOf(*track);
      answer[layout::kAdrControl] =
          track->isrc.empty() ? adrControl : (kAdrIsrc | (adrControl & kControlMask));
      answer[layout::kTrack] = track->number;
      PutCode(answer, layout::kCode, track->isrc, kIsrcLength);
      break;
    }
    default:
      return std::nullopt;
  }
  answer[layout::kFormat] = request.format;
  return answer;
}

}  // namespace korvel::emulator
