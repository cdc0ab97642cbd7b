#include "raw_sectors.h"

#include <algorithm>
#include <array>

#include "emulator/disc/DiscSectors.h"
#include "emulator/disc/SectorErrorCodes.h"

namespace korvel::tools {
namespace {

namespace layout = emulator::raw_sector_layout;

// File 0, channel 0, a data block of form 1, coding 0: the subheader of an XA volume's blocks.
constexpr std::array<std::uint8_t, 4> kDataSubheader{0x00, 0x00, emulator::kSubmodeData, 0x00};

std::uint8_t Bcd(std::uint32_t value) {
  return static_cast<std::uint8_t>(value / 10 * 16 + value % 10);
}

}  // namespace

void BuildRawSector(RawSectorMode mode, std::uint32_t lba,
                    std::span<const std::uint8_t, 2048> userData,
                    std::span<std::uint8_t, 2352> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  std::fill_n(out.begin() + layout::kSync + 1, 10, std::uint8_t{0xFF});
  const std::uint32_t frame = lba + 150;
  out[layout::kHeaderMsf] = Bcd(frame / 4500);
  out[layout::kHeaderMsf + 1] = Bcd(frame / 75 % 60);
  out[layout::kHeaderMsf + 2] = Bcd(frame % 75);
  if (mode == RawSectorMode::Mode1) {
    out[layout::kHeaderMode] = 1;
    std::copy(userData.begin(), userData.end(), out.begin() + layout::kUserData);
    emulator::PutMode1ErrorCodes(out);
    return;
  }
  out[layout::kHeaderMode] = 2;
  std::copy(kDataSubheader.begin(), kDataSubheader.end(), out.begin() + layout::kSubheader);
  std::copy(kDataSubheader.begin(), kDataSubheader.end(),
            out.begin() + layout::kSubheader + kDataSubheader.size());
  std::copy(userData.begin(), userData.end(), out.begin() + layout::kMode2UserData);
  emulator::PutMode2Form1ErrorCodes(out);
}

}  // namespace korvel::tools
