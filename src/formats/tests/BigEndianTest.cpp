// The helpers that every big-endian field of a CDB, a record or a file goes through.
#include <gtest/gtest.h>

#include <array>

#include "formats/BigEndian.h"

namespace korvel::formats {
namespace {

TEST(BigEndianTest, WritesOnlyTheLowBytesMostSignificantFirst) {
  std::array<std::uint8_t, 5> out{0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  PutBigEndian(out.data() + 1, 0x01234567, 3);
  EXPECT_EQ(out, (std::array<std::uint8_t, 5>{0xEE, 0x23, 0x45, 0x67, 0xEE}));
}

TEST(BigEndianTest, ReadsBackWhatWasWritten) {
  std::array<std::uint8_t, 4> bytes{};
  PutBigEndian(bytes.data(), 0xCAFEF00D, 4);
  EXPECT_EQ(GetBigEndian(bytes.data(), 4), 0xCAFEF00Du);
  EXPECT_EQ(GetBigEndian(bytes.data() + 2, 2), 0xF00Du);
}

}  // namespace
}  // namespace korvel::formats
