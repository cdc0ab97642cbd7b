// The request records are checked field by field at compile time (static_assert in their
// headers); these tests pin the helpers that every big-endian field goes through.
#include <gtest/gtest.h>

#include <array>

#include "platform/BigEndian.h"

namespace korvel::platform {
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
}  // namespace korvel::platform
