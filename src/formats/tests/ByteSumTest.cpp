#include "formats/ByteSum.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace korvel::formats {

// In the enumeration's own namespace, not the unnamed one, where GoogleTest looks for it.
void PrintTo(ByteSumCode code, std::ostream* os) {
  *os << ByteSumCodeName(code);
}

namespace {

constexpr ByteSumCode kCodes[] = {ByteSumCode::Plain, ByteSumCode::Sse2, ByteSumCode::Avx2};

// Kept apart from the code under test so that a fault shared by all the sums cannot hide.
std::uint16_t ReferenceSum(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
  return static_cast<std::uint16_t>(sum % 65536);
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(count);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

class ByteSumCodeTest : public ::testing::TestWithParam<ByteSumCode> {
 protected:
  void SetUp() override {
    if (!ByteSumCodeRuns(GetParam())) {
      GTEST_SKIP() << ByteSumCodeName(GetParam()) << " does not run on this processor";
    }
  }
};

// Every start offset within a cache line and every length up to past two of the widest
// unrolled blocks, so that each path (the unrolled loop, the single blocks, the byte tail)
// meets every alignment.
TEST_P(ByteSumCodeTest, EqualsThePlainSumOnEveryLengthAndAlignment) {
  const std::vector<std::uint8_t> bytes = RandomBytes(64 + 300, 15);
  for (std::size_t start = 0; start < 64; ++start) {
    for (std::size_t length = 0; length <= 300; ++length) {
      const std::span<const std::uint8_t> piece(bytes.data() + start, length);
      ASSERT_EQ(ByteSumWith(GetParam(), piece), ReferenceSum(piece.data(), length))
          << "start " << start << " length " << length;
    }
  }
}

// All bytes 0xFF: the sum passes 65536 many times over and the per-lane totals grow past 32
// bits' worth of halves, so a narrow accumulator or a lost carry would show.
TEST_P(ByteSumCodeTest, LongRunsOfTheLargestByteWrapModulo65536) {
  for (const std::size_t length : {std::size_t{258}, std::size_t{524286}, std::size_t{0x1000003}}) {
    const std::vector<std::uint8_t> bytes(length, 0xFF);
    EXPECT_EQ(ByteSumWith(GetParam(), bytes), static_cast<std::uint16_t>((255 * length) % 65536))
        << "length " << length;
  }
}

TEST_P(ByteSumCodeTest, AnImageSizedRandomPieceAtEveryAlignment) {
  const std::vector<std::uint8_t> bytes = RandomBytes(524288 + 64, 7);
  for (std::size_t start = 0; start < 64; start += 7) {
    const std::span<const std::uint8_t> piece(bytes.data() + start, 524286);
    EXPECT_EQ(ByteSumWith(GetParam(), piece), ReferenceSum(piece.data(), piece.size()))
        << "start " << start;
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, ByteSumCodeTest, ::testing::ValuesIn(kCodes),
                         [](const auto& info) { return std::string(ByteSumCodeName(info.param)); });

TEST(ByteSumTest, TheChosenCodeRunsAndGivesTheSameSum) {
  EXPECT_TRUE(ByteSumCodeRuns(ByteSumCode::Plain));
  EXPECT_TRUE(ByteSumCodeRuns(FastestByteSumCode()));
  const std::vector<std::uint8_t> bytes = RandomBytes(32768 + 13, 3);
  EXPECT_EQ(ByteSum(bytes), ReferenceSum(bytes.data(), bytes.size()));
  EXPECT_EQ(ByteSum({}), 0);
}

}  // namespace
}  // namespace korvel::formats
