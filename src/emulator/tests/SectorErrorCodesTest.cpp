// The error codes of generated raw sectors, checked the way a reader checks them and not the way
// they are made: the EDC by a bit-at-a-time division by its polynomial, the P and Q parity by
// the syndromes of ECMA-130's check matrices, with multiplication in GF(2^8) done by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "emulator/disc/DiscSectors.h"

namespace korvel::emulator::testing {
namespace {

using Sector = std::array<std::uint8_t, kRawSectorSize>;

// x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1, taken lowest bit first: 0xD8018001 reflected.
std::uint32_t EdcBitByBit(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t crc = 0;
  for (std::size_t i = 0; i < count; ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      const bool feedback = ((crc ^ (bytes[i] >> bit)) & 1) != 0;
      crc >>= 1;
      if (feedback) crc ^= 0xD8018001u;
    }
  }
  return crc;
}

std::uint32_t StoredEdc(const Sector& sector, std::size_t at) {
  return sector[at] | sector[at + 1] << 8 | sector[at + 2] << 16 |
         static_cast<std::uint32_t>(sector[at + 3]) << 24;
}

std::uint8_t Multiply(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  while (b != 0) {
    if (b & 1) product ^= a;
    a = static_cast<std::uint8_t>((a << 1) ^ (a & 0x80 ? 0x1D : 0));
    b >>= 1;
  }
  return product;
}

std::uint8_t AlphaTo(int power) {
  std::uint8_t value = 1;
  for (int i = 0; i < power; ++i) value = Multiply(value, 2);
  return value;
}

// Both syndromes of a codeword of `length` symbols, check matrix rows (1 ... 1) and
// (alpha^(length-1) ... alpha 1): zero when the parity is right.
bool SyndromesAreZero(const std::vector<std::uint8_t>& codeword) {
  std::uint8_t s0 = 0, s1 = 0;
  const int length = static_cast<int>(codeword.size());
  for (int i = 0; i < length; ++i) {
    s0 ^= codeword[i];
    s1 ^= Multiply(codeword[i], AlphaTo(length - 1 - i));
  }
  return s0 == 0 && s1 == 0;
}

// Bytes 12.. of the sector as ECMA-130 numbers them for the parity; a mode 2 sector's header
// counts as zeros.
std::uint8_t ParityByte(const Sector& sector, std::size_t n, bool mode2) {
  if (mode2 && n < 4) return 0;
  return sector[12 + n];
}

// Counts the P (86 columns of 24 bytes and 2 parity) and Q (52 diagonals of 43 and 2) codewords
// whose syndromes are not zero.
int BadCodewords(const Sector& sector, bool mode2) {
  int bad = 0;
  for (std::size_t column = 0; column < 86; ++column) {
    std::vector<std::uint8_t> word;
    for (std::size_t row = 0; row < 24; ++row)
      word.push_back(ParityByte(sector, row * 86 + column, mode2));
    word.push_back(sector[2076 + column]);
    word.push_back(sector[2076 + 86 + column]);
    if (!SyndromesAreZero(word)) ++bad;
  }
  for (std::size_t diagonal = 0; diagonal < 52; ++diagonal) {
    std::vector<std::uint8_t> word;
    for (std::size_t k = 0; k < 43; ++k) {
      const std::size_t n = ((diagonal >> 1) * 86 + (diagonal & 1) + k * 88) % 2236;
      word.push_back(ParityByte(sector, n, mode2));
    }
    word.push_back(sector[2248 + diagonal]);
    word.push_back(sector[2248 + 52 + diagonal]);
    if (!SyndromesAreZero(word)) ++bad;
  }
  return bad;
}

struct Case {
  const char* name;
  TrackMode mode;
  std::int32_t lba;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class SectorErrorCodesTest : public ::testing::TestWithParam<Case> {};

TEST_P(SectorErrorCodesTest, AGeneratedSectorPassesTheChecksOfAReader) {
  const Case& c = GetParam();
  DiscTrack track;
  track.mode = c.mode;
  Sector sector{};
  BuildRawSector(track, c.lba, sector);
  const bool mode2 = c.mode == TrackMode::Mode2Xa;
  if (mode2) {
    // The EDC of form 1 covers the subheader and the user data.
    EXPECT_EQ(StoredEdc(sector, 2072), EdcBitByBit(sector.data() + 16, 2056));
  } else {
    EXPECT_EQ(StoredEdc(sector, 2064), EdcBitByBit(sector.data(), 2064));
    EXPECT_EQ(std::vector<std::uint8_t>(sector.begin() + 2068, sector.begin() + 2076),
              std::vector<std::uint8_t>(8, 0));
  }
  EXPECT_EQ(BadCodewords(sector, mode2), 0);

  // The checks see a damaged byte: the proof that they can fail.
  sector[100] ^= 0x01;
  EXPECT_NE(StoredEdc(sector, mode2 ? 2072 : 2064),
            EdcBitByBit(sector.data() + (mode2 ? 16 : 0), mode2 ? 2056 : 2064));
  EXPECT_GT(BadCodewords(sector, mode2), 0);
}

INSTANTIATE_TEST_SUITE_P(Sectors, SectorErrorCodesTest,
                         ::testing::Values(Case{"Mode1AtTheStart", TrackMode::Mode1, 0},
                                           Case{"Mode1Later", TrackMode::Mode1, 271234},
                                           Case{"Mode2Form1", TrackMode::Mode2Xa, 16},
                                           Case{"Mode2Form1Later", TrackMode::Mode2Xa, 99999}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::emulator::testing
