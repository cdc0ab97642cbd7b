#include "emulator/DiscSectors.h"

#include <algorithm>

#include "platform/BigEndian.h"

namespace korvel::emulator {
namespace {

constexpr std::uint32_t kLeadInFrames = 150;
constexpr std::uint32_t kFramesPerSecond = 75;
constexpr std::uint32_t kSecondsPerMinute = 60;

std::uint8_t Bcd(std::uint32_t value) {
  return static_cast<std::uint8_t>(((value / 10) % 10) << 4 | (value % 10));
}

}  // namespace

void FillUserData(std::uint32_t lba, std::span<std::uint8_t, kUserDataSize> out) {
  platform::PutBigEndian(out.data(), lba, 4);
  for (std::size_t i = 4; i < out.size(); ++i) {
    out[i] = static_cast<std::uint8_t>(lba * 13 + i * 7 + (i >> 8));
  }
}

void FillRawSector(std::uint32_t lba, std::span<std::uint8_t, kRawSectorSize> out) {
  namespace layout = raw_sector_layout;
  std::fill(out.begin(), out.end(), 0);
  std::fill_n(out.begin() + layout::kSync + 1, layout::kSyncLength - 2, 0xFF);
  const std::uint32_t frames = lba + kLeadInFrames;
  out[layout::kHeaderMsf] = Bcd(frames / (kFramesPerSecond * kSecondsPerMinute));
  out[layout::kHeaderMsf + 1] = Bcd((frames / kFramesPerSecond) % kSecondsPerMinute);
  out[layout::kHeaderMsf + 2] = Bcd(frames % kFramesPerSecond);
  out[layout::kHeaderMode] = 0x01;
  FillUserData(lba, out.subspan<layout::kUserData, kUserDataSize>());
  for (std::size_t i = layout::kEdc; i < layout::kIntermediate; ++i) {
    out[i] = static_cast<std::uint8_t>(lba ^ (i * 31));
  }
  for (std::size_t i = layout::kEcc; i < out.size(); ++i) {
    out[i] = static_cast<std::uint8_t>(lba ^ (i * 31));
  }
}

}  // namespace korvel::emulator
