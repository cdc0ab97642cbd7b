#include <gtest/gtest.h>

#include "utilities/BitsText.h"

namespace korvel::utilities {
namespace {

TEST(BitsTextTest, EightBitsLowestFirst) {
  const struct {
    unsigned value;
    const char* text;
  } cases[] = {{0x01, "10000000"}, {0x80, "00000001"}, {0x95, "10101001"},
               {0x00, "00000000"}, {0xFF, "11111111"}, {0x180, "00000001"}};
  for (const auto& c : cases) {
    BitsText8Buffer text;
    text.fill('#');
    EXPECT_STREQ(BitsText8(c.value, text), c.text) << c.value;
    EXPECT_EQ(text[8], '\0');
  }
}

TEST(BitsTextTest, ThreeBitsHighestFirst) {
  const struct {
    unsigned value;
    const char* text;
  } cases[] = {{0x04, "100"}, {0x01, "001"}, {0x03, "011"}, {0x0F, "111"}, {0x08, "000"}};
  for (const auto& c : cases) {
    BitsText3Buffer text;
    text.fill('#');
    EXPECT_STREQ(BitsText3(c.value, text), c.text) << c.value;
  }
}

}  // namespace
}  // namespace korvel::utilities
