#include "raw_sectors.h"

#include <algorithm>
#include <array>

#include "emulator/DiscSectors.h"

namespace korvel::tools {
namespace {

namespace layout = emulator::raw_sector_layout;

constexpr std::size_t kEccP = layout::kEcc;        // 172 bytes
constexpr std::size_t kEccQ = layout::kEcc + 172;  // 104 bytes
// File 0, channel 0, a data block of form 1, coding 0: the subheader of an XA volume's blocks.
constexpr std::array<std::uint8_t, 4> kDataSubheader{0x00, 0x00, emulator::kSubmodeData, 0x00};

struct Tables {
  std::array<std::uint32_t, 256> edc{};
  std::array<std::uint8_t, 256> eccForward{};
  std::array<std::uint8_t, 256> eccBackward{};
  Tables() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      // The EDC polynomial (x^16 + x^15 + x^2 + 1)(x^16 + x^2 + x + 1), bits taken lowest first.
      std::uint32_t edcValue = i;
      for (int bit = 0; bit < 8; ++bit)
        edcValue = (edcValue >> 1) ^ (edcValue & 1 ? 0xD8018001u : 0);
      edc[i] = edcValue;
      // Multiplication by x in GF(2^8) with the primitive polynomial x^8 + x^4 + x^3 + x^2 + 1.
      const std::uint32_t doubled = (i << 1) ^ (i & 0x80 ? 0x11D : 0);
      eccForward[i] = static_cast<std::uint8_t>(doubled);
      eccBackward[i ^ doubled] = static_cast<std::uint8_t>(i);
    }
  }
};

const Tables& TheTables() {
  static const Tables tables;
  return tables;
}

std::uint32_t Edc(std::span<const std::uint8_t> bytes) {
  std::uint32_t edc = 0;
  for (std::uint8_t byte : bytes) edc = (edc >> 8) ^ TheTables().edc[(edc ^ byte) & 0xFF];
  return edc;
}

void PutLittleEndian32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// One of the two Reed-Solomon product codes over bytes 12..2075 taken as 16-bit words: P
// (86 columns of 24) and Q (52 diagonals of 43).
void EccBlock(const std::uint8_t* source, std::size_t majorCount, std::size_t minorCount,
              std::size_t majorStep, std::size_t minorStep, std::uint8_t* parity) {
  const Tables& tables = TheTables();
  const std::size_t size = majorCount * minorCount;
  for (std::size_t major = 0; major < majorCount; ++major) {
    std::size_t index = (major >> 1) * majorStep + (major & 1);
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t minor = 0; minor < minorCount; ++minor) {
      const std::uint8_t byte = source[index];
      index += minorStep;
      if (index >= size) index -= size;
      a ^= byte;
      b ^= byte;
      a = tables.eccForward[a];
    }
    a = tables.eccBackward[tables.eccForward[a] ^ b];
    parity[major] = a;
    parity[major + majorCount] = a ^ b;
  }
}

void Ecc(std::span<std::uint8_t, 2352> sector) {
  EccBlock(sector.data() + layout::kHeaderMsf, 86, 24, 2, 86, sector.data() + kEccP);
  EccBlock(sector.data() + layout::kHeaderMsf, 52, 43, 86, 88, sector.data() + kEccQ);
}

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
    PutLittleEndian32(out.data() + layout::kEdc, Edc(out.first(layout::kEdc)));
    Ecc(out);
    return;
  }
  out[layout::kHeaderMode] = 2;
  std::copy(kDataSubheader.begin(), kDataSubheader.end(), out.begin() + layout::kSubheader);
  std::copy(kDataSubheader.begin(), kDataSubheader.end(),
            out.begin() + layout::kSubheader + kDataSubheader.size());
  std::copy(userData.begin(), userData.end(), out.begin() + layout::kMode2UserData);
  PutLittleEndian32(out.data() + layout::kMode2Edc,
                    Edc(out.subspan(layout::kSubheader, layout::kMode2Edc - layout::kSubheader)));
  // The ECC of a mode 2 sector is computed with the header taken as zeros, so that it still
  // holds for the sector's contents when the sector is copied to another address.
  std::array<std::uint8_t, 4> header{};
  std::copy_n(out.begin() + layout::kHeaderMsf, 4, header.begin());
  std::fill_n(out.begin() + layout::kHeaderMsf, 4, std::uint8_t{0});
  Ecc(out);
  std::copy(header.begin(), header.end(), out.begin() + layout::kHeaderMsf);
}

}  // namespace korvel::tools
