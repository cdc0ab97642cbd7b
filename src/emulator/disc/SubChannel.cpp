#include "emulator/disc/SubChannel.h"

#include <algorithm>
#include <string_view>

#include "emulator/disc/DiscCodes.h"
#include "emulator/disc/DiscTime.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

constexpr std::uint16_t kCrcPolynomial = 0x1021;
constexpr std::uint8_t kAdrPosition = 0x01;
constexpr std::uint8_t kAdrCatalog = 0x02;
constexpr std::uint8_t kAdrIsrc = 0x03;

// Where in every hundred blocks the two codes are recorded.
constexpr std::int32_t kCodeSpacing = 100;
constexpr std::int32_t kCatalogBlock = 40;
constexpr std::int32_t kIsrcBlock = 90;
// The absolute frame (BCD) that ends both code forms, before the CRC.
constexpr std::size_t kCodeFrame = 9;

// The 6-bit code of an ISRC's first five characters: digits 0..9, letters 17..42.
std::uint8_t IsrcCharacterCode(char c) {
  return c >= '0' && c <= '9' ? static_cast<std::uint8_t>(c - '0')
                              : static_cast<std::uint8_t>(c - 'A' + 17);
}

// Puts `bits` (the low `width` bits of each value, most significant first) from bit 0 of
// bytes[at] on.
class BitWriter {
 public:
  BitWriter(std::uint8_t* bytes) : bytes_(bytes) {}
  void Put(std::uint32_t value, int width) {
    for (int bit = width - 1; bit >= 0; --bit, ++at_) {
      if ((value >> bit) & 1) bytes_[at_ / 8] |= static_cast<std::uint8_t>(0x80 >> (at_ % 8));
    }
  }

 private:
  std::uint8_t* bytes_;
  std::size_t at_ = 0;
};

void PutCrc(std::array<std::uint8_t, kQChannelSize>& bytes) {
  namespace layout = q_channel_layout;
  formats::PutBigEndian(&bytes[layout::kCrc], SubChannelCrc(std::span(bytes).first(layout::kCrc)),
                        2);
}

void PutBcdTime(std::uint8_t* out, std::int32_t frames) {
  const Msf time = MsfOfFrames(frames);
  out[0] = Bcd(time.minute);
  out[1] = Bcd(time.second);
  out[2] = Bcd(time.frame);
}

}  // namespace

std::uint16_t SubChannelCrc(std::span<const std::uint8_t> bytes) {
  std::uint16_t crc = 0;
  for (std::uint8_t byte : bytes) {
    crc ^= static_cast<std::uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ kCrcPolynomial : crc << 1);
    }
  }
  return static_cast<std::uint16_t>(~crc);
}

std::array<std::uint8_t, kQChannelSize> QChannelBytes(const QChannel& q) {
  namespace layout = q_channel_layout;
  std::array<std::uint8_t, kQChannelSize> bytes{};
  // QChannel keeps READ SUB-CHANNEL's order, ADR above the control nibble; the disc has the
  // control nibble first.
  bytes[layout::kControlAdr] = static_cast<std::uint8_t>((q.adrControl & 0x0F) << 4 | kAdrPosition);
  bytes[layout::kTrack] = q.track == kLeadOutTrack ? kLeadOutTrack : Bcd(q.track);
  bytes[layout::kIndex] = Bcd(q.index);
  PutBcdTime(&bytes[layout::kRelative], q.relative < 0 ? -q.relative : q.relative);
  bytes[layout::kZero] = 0;
  PutBcdTime(&bytes[layout::kAbsolute], q.absolute + kBlockZeroFrame);
  PutCrc(bytes);
  return bytes;
}

namespace {

std::array<std::uint8_t, kQChannelSize> CodeQ(const QChannel& q, std::uint8_t adr,
                                              std::string_view code) {
  std::array<std::uint8_t, kQChannelSize> bytes{};
  bytes[q_channel_layout::kControlAdr] =
      static_cast<std::uint8_t>((q.adrControl & 0x0F) << 4 | adr);
  BitWriter writer(&bytes[1]);
  if (adr == kAdrCatalog) {
    // 13 digits of 4 bits, then 12 zero bits up to the frame byte.
    for (char digit : code) writer.Put(static_cast<std::uint32_t>(digit - '0'), 4);
  } else {
    // Country and owner in 6-bit codes, 2 zero bits, year and serial in 4-bit digits, 4 zero bits.
    for (std::size_t i = 0; i < 5; ++i) writer.Put(IsrcCharacterCode(code[i]), 6);
    writer.Put(0, 2);
    for (std::size_t i = 5; i < code.size(); ++i)
      writer.Put(static_cast<std::uint32_t>(code[i] - '0'), 4);
  }
  bytes[kCodeFrame] = Bcd(MsfOfFrames(q.absolute + kBlockZeroFrame).frame);
  PutCrc(bytes);
  return bytes;
}

// Whether the blocks on both sides of `block` share its track and index.
bool InsideAnIndex(const DiscLayout& layout, std::int32_t block, const QChannel& q) {
  if (block == 0 || block + 1 >= layout.Capacity()) return false;
  const QChannel before = layout.QAt(block - 1);
  const QChannel after = layout.QAt(block + 1);
  return before.track == q.track && before.index == q.index && after.track == q.track &&
         after.index == q.index;
}

}  // namespace

std::array<std::uint8_t, kQChannelSize> RecordedQ(const DiscLayout& layout, std::int32_t block) {
  const QChannel q = layout.QAt(block);
  const std::int32_t inHundred = block % kCodeSpacing;
  if ((inHundred == kCatalogBlock || inHundred == kIsrcBlock) && InsideAnIndex(layout, block, q)) {
    const std::string& catalog = layout.disc().catalog;
    if (inHundred == kCatalogBlock && catalog.size() == kCatalogDigits) {
      return CodeQ(q, kAdrCatalog, catalog);
    }
    const DiscTrack* track = layout.TrackAt(block);
    if (inHundred == kIsrcBlock && q.index >= 1 && track != nullptr && track->number == q.track &&
        track->isrc.size() == kIsrcLength) {
      return CodeQ(q, kAdrIsrc, track->isrc);
    }
  }
  return QChannelBytes(q);
}

bool PChannelSet(const QChannel& q) {
  return q.index == 0;
}

std::array<std::uint8_t, kFormattedQSize> FormattedQ(const QChannel& q) {
  return FormattedQ(q, QChannelBytes(q));
}

std::array<std::uint8_t, kRawSubChannelSize> RawSubChannel(const QChannel& q) {
  return RawSubChannel(q, QChannelBytes(q));
}

std::array<std::uint8_t, kFormattedQSize> FormattedQ(
    const QChannel& q, const std::array<std::uint8_t, kQChannelSize>& bytes) {
  std::array<std::uint8_t, kFormattedQSize> out{};
  std::copy(bytes.begin(), bytes.end(), out.begin());
  if (PChannelSet(q)) out[formatted_q_layout::kP] = formatted_q_layout::kPBit;
  return out;
}

std::array<std::uint8_t, kRawSubChannelSize> RawSubChannel(
    const QChannel& q, const std::array<std::uint8_t, kQChannelSize>& bytes) {
  namespace bits = raw_sub_channel_bits;
  std::array<std::uint8_t, kRawSubChannelSize> out{};
  const std::uint8_t p = PChannelSet(q) ? bits::kP : 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const bool qBit = (bytes[i / 8] >> (7 - i % 8)) & 1;
    out[i] = static_cast<std::uint8_t>(p | (qBit ? bits::kQ : 0));
  }
  return out;
}

}  // namespace korvel::emulator
