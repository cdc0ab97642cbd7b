#include "emulator/disc/SubChannel.h"

#include <algorithm>

#include "emulator/disc/DiscTime.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

constexpr std::uint16_t kCrcPolynomial = 0x1021;
constexpr std::uint8_t kAdrPosition = 0x01;

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
  formats::PutBigEndian(&bytes[layout::kCrc], SubChannelCrc(std::span(bytes).first(layout::kCrc)),
                        2);
  return bytes;
}

bool PChannelSet(const QChannel& q) {
  return q.index == 0;
}

std::array<std::uint8_t, kFormattedQSize> FormattedQ(const QChannel& q) {
  std::array<std::uint8_t, kFormattedQSize> out{};
  const auto bytes = QChannelBytes(q);
  std::copy(bytes.begin(), bytes.end(), out.begin());
  if (PChannelSet(q)) out[formatted_q_layout::kP] = formatted_q_layout::kPBit;
  return out;
}

std::array<std::uint8_t, kRawSubChannelSize> RawSubChannel(const QChannel& q) {
  namespace bits = raw_sub_channel_bits;
  std::array<std::uint8_t, kRawSubChannelSize> out{};
  const auto bytes = QChannelBytes(q);
  const std::uint8_t p = PChannelSet(q) ? bits::kP : 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const bool qBit = (bytes[i / 8] >> (7 - i % 8)) & 1;
    out[i] = static_cast<std::uint8_t>(p | (qBit ? bits::kQ : 0));
  }
  return out;
}

}  // namespace korvel::emulator
