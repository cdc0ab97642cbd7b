#include "emulator/disc/SectorErrorCodes.h"

#include <algorithm>
#include <array>

namespace korvel::emulator {
namespace {

namespace layout = raw_sector_layout;

constexpr std::size_t kEccP = layout::kEcc;        // 172 bytes
constexpr std::size_t kEccQ = layout::kEcc + 172;  // 104 bytes

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

// The EDC is stored lowest byte first.
void PutEdc(std::uint8_t* out, std::uint32_t value) {
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

void Ecc(std::span<std::uint8_t, kRawSectorSize> sector) {
  EccBlock(sector.data() + layout::kHeaderMsf, 86, 24, 2, 86, sector.data() + kEccP);
  EccBlock(sector.data() + layout::kHeaderMsf, 52, 43, 86, 88, sector.data() + kEccQ);
}

}  // namespace

void PutMode1ErrorCodes(std::span<std::uint8_t, kRawSectorSize> sector) {
  PutEdc(sector.data() + layout::kEdc, Edc(sector.first(layout::kEdc)));
  Ecc(sector);
}

void PutMode2Form1ErrorCodes(std::span<std::uint8_t, kRawSectorSize> sector) {
  PutEdc(sector.data() + layout::kMode2Edc,
         Edc(sector.subspan(layout::kSubheader, layout::kMode2Edc - layout::kSubheader)));
  std::array<std::uint8_t, 4> header{};
  std::copy_n(sector.begin() + layout::kHeaderMsf, header.size(), header.begin());
  std::fill_n(sector.begin() + layout::kHeaderMsf, header.size(), std::uint8_t{0});
  Ecc(sector);
  std::copy(header.begin(), header.end(), sector.begin() + layout::kHeaderMsf);
}

}  // namespace korvel::emulator
