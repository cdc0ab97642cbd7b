#include "emulator/disc/CdText.h"

#include <algorithm>
#include <array>
#include <string>

#include "emulator/disc/SubChannel.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

namespace layout = cd_text_layout;

constexpr std::uint8_t kCharacterCodeIso8859 = 0x00;
constexpr std::uint8_t kLanguageEnglish = 0x09;
constexpr std::size_t kSizeInformationPacks = 3;
constexpr std::uint8_t kMaxCharacterPosition = 15;

// Where the size information keeps its fields, counted over the text bytes of its 3 packs.
namespace size_layout {
constexpr std::size_t kCharacterCode = 0;
constexpr std::size_t kFirstTrack = 1;
constexpr std::size_t kLastTrack = 2;
constexpr std::size_t kPackCounts = 4;     // 16 bytes: packs of type 0x80 + i
constexpr std::size_t kLastSequence = 20;  // 8 bytes: one per block
constexpr std::size_t kLanguage = 28;      // 8 bytes: one per block
constexpr std::size_t kLength = 36;
}  // namespace size_layout

struct TextOwner {
  std::uint8_t track;
  const std::string* text;
};

class PackWriter {
 public:
  explicit PackWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void Add(std::uint8_t type, std::uint8_t track, std::uint8_t position,
           std::span<const std::uint8_t> text) {
    std::array<std::uint8_t, layout::kPackSize> pack{};
    pack[layout::kPackType] = type;
    pack[layout::kTrack] = track;
    pack[layout::kSequence] = static_cast<std::uint8_t>(sequence_++);
    pack[layout::kCharacterPosition] = position;
    std::copy_n(text.begin(), std::min(text.size(), layout::kTextLength),
                pack.begin() + layout::kText);
    formats::PutBigEndian(pack.data() + layout::kCrc,
                          CdTextCrc(std::span(pack).first(layout::kCrc)), 2);
    out_.insert(out_.end(), pack.begin(), pack.end());
  }

  std::size_t count() const { return sequence_; }

 private:
  std::vector<std::uint8_t>& out_;
  std::size_t sequence_ = 0;
};

// The strings of one pack type, each with its terminating zero, run on from pack to pack. A
// pack names the track whose string its first byte belongs to, and how many bytes of that
// string earlier packs hold.
std::size_t AddTextPacks(PackWriter& writer, std::uint8_t type,
                         const std::vector<TextOwner>& owners) {
  std::vector<std::uint8_t> stream;
  std::vector<std::uint8_t> trackOfByte;
  std::vector<std::size_t> positionOfByte;
  for (const TextOwner& owner : owners) {
    for (std::size_t i = 0; i <= owner.text->size(); ++i) {
      stream.push_back(i < owner.text->size() ? static_cast<std::uint8_t>((*owner.text)[i]) : 0);
      trackOfByte.push_back(owner.track);
      positionOfByte.push_back(i);
    }
  }
  std::size_t packs = 0;
  for (std::size_t from = 0; from < stream.size(); from += layout::kTextLength, ++packs) {
    const std::size_t length = std::min(layout::kTextLength, stream.size() - from);
    const auto position = static_cast<std::uint8_t>(
        std::min<std::size_t>(positionOfByte[from], kMaxCharacterPosition));
    writer.Add(type, trackOfByte[from], position, std::span(stream).subspan(from, length));
  }
  return packs;
}

}  // namespace

std::uint16_t CdTextCrc(std::span<const std::uint8_t> packBytes) {
  // Packs travel in the sub-channel and carry the Q channel's CRC.
  return SubChannelCrc(packBytes);
}

std::vector<std::uint8_t> CdTextPacks(const Disc& disc) {
  std::vector<std::uint8_t> packs;
  if (disc.tracks.empty()) return packs;
  PackWriter writer(packs);
  std::array<std::uint8_t, 16> countOfType{};
  const auto addType = [&](std::uint8_t type, std::string Disc::*discText,
                           std::string DiscTrack::*trackText) {
    std::vector<TextOwner> owners{{0, &(disc.*discText)}};
    bool any = !(disc.*discText).empty();
    for (const DiscTrack& track : disc.tracks) {
      owners.push_back({track.number, &(track.*trackText)});
      any = any || !(track.*trackText).empty();
    }
    if (any)
      countOfType[type & 0x0F] = static_cast<std::uint8_t>(AddTextPacks(writer, type, owners));
  };
  addType(kPackTitle, &Disc::title, &DiscTrack::title);
  addType(kPackPerformer, &Disc::performer, &DiscTrack::performer);
  if (writer.count() == 0) return packs;

  countOfType[kPackSizeInformation & 0x0F] = kSizeInformationPacks;
  std::array<std::uint8_t, size_layout::kLength> size{};
  size[size_layout::kCharacterCode] = kCharacterCodeIso8859;
  size[size_layout::kFirstTrack] = disc.tracks.front().number;
  size[size_layout::kLastTrack] = disc.tracks.back().number;
  std::copy(countOfType.begin(), countOfType.end(), size.begin() + size_layout::kPackCounts);
  size[size_layout::kLastSequence] =
      static_cast<std::uint8_t>(writer.count() + kSizeInformationPacks - 1);
  size[size_layout::kLanguage] = kLanguageEnglish;
  for (std::size_t k = 0; k < kSizeInformationPacks; ++k) {
    writer.Add(kPackSizeInformation, static_cast<std::uint8_t>(k), 0,
               std::span(size).subspan(k * layout::kTextLength, layout::kTextLength));
  }
  return packs;
}

}  // namespace korvel::emulator
