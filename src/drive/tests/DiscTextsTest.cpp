// The text routines of the disc routines: frame counts as MM:SS:FF, trailing blanks, and strings
// picked out of CD-TEXT packs (doubled ampersands, missing strings, strings longer than the work
// area, data lengths beyond the bytes given).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drive/CdText.h"
#include "drive/DiscTexts.h"
#include "platform/testing/CaseNames.h"

namespace korvel::drive {
namespace {

struct FramesCase {
  std::int32_t frames;
  std::string text;
};

void PrintTo(const FramesCase& c, std::ostream* os) {
  *os << c.frames << " frames";
}

class FramesToTextTest : public ::testing::TestWithParam<FramesCase> {};

TEST_P(FramesToTextTest, FormatsMinutesSecondsFrames) {
  EXPECT_EQ(FramesToText(GetParam().frames), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Counts, FramesToTextTest,
                         ::testing::Values(FramesCase{4500, "01:00:00"}, FramesCase{0, "00:00:00"},
                                           FramesCase{-75, "99:59:00"},
                                           FramesCase{-150, "99:58:00"},
                                           FramesCase{449999, "99:59:74"},
                                           FramesCase{-450000, "00:00:00"},
                                           FramesCase{450000, "100:00:00"}));

TEST(TrimTrailingBlanksTest, TakesOffBlanksButNeverTheFirstCharacter) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"CD-R    ", "CD-R"}, {"   ", " "}, {"", ""}, {"A B ", "A B"}, {"x", "x"}};
  for (const auto& [before, after] : cases) {
    std::string text = before;
    EXPECT_EQ(TrimTrailingBlanks(text), after) << '"' << before << '"';
  }
}

// CD-TEXT data: the header, then one pack a 12-byte piece of the concatenated strings
// (each string ends with its zero), all of type `type`.
std::vector<std::uint8_t> Packs(std::uint8_t type, const std::vector<std::string>& strings) {
  std::string text;
  for (const std::string& s : strings) text += s + '\0';
  while (text.size() % 12 != 0) text += '\0';
  std::vector<std::uint8_t> data(4, 0);
  for (std::size_t at = 0; at < text.size(); at += 12) {
    std::vector<std::uint8_t> pack(18, 0);
    pack[0] = type;
    pack[2] = static_cast<std::uint8_t>(at / 12);
    pack[3] = 0;
    std::copy_n(text.begin() + static_cast<long>(at), 12, pack.begin() + 4);
    data.insert(data.end(), pack.begin(), pack.end());
  }
  return data;
}

TEST(CdTextStringTest, PicksTheStringByOrdinalWithinItsPackType) {
  std::vector<std::uint8_t> data = Packs(kCdTextTitle, {"Disc Title", "Rock & Roll", "Third"});
  const std::vector<std::uint8_t> performers = Packs(kCdTextPerformer, {"Someone"});
  data.insert(data.end(), performers.begin() + 4, performers.end());

  EXPECT_EQ(CdTextString(kCdTextTitle, 0, data, data.size(), false), "Disc Title");
  EXPECT_EQ(CdTextString(kCdTextTitle, 1, data, data.size(), false), "Rock & Roll");
  EXPECT_EQ(CdTextString(kCdTextTitle, 1, data, data.size(), true), "Rock && Roll");
  EXPECT_EQ(CdTextString(kCdTextTitle, 2, data, data.size(), false), "Third");
  EXPECT_EQ(CdTextString(kCdTextPerformer, 0, data, data.size(), false), "Someone");
  // Beyond the last string of its type, and a type the data does not hold.
  EXPECT_EQ(CdTextString(kCdTextTitle, 3, data, data.size(), false), "");
  EXPECT_EQ(CdTextString(0x82, 0, data, data.size(), false), "");
}

TEST(CdTextStringTest, AStringLongerThanTheWorkAreaIsCutNotOverrun) {
  const std::string ampersands(400, '&');
  const std::vector<std::uint8_t> data = Packs(kCdTextTitle, {ampersands});
  const std::string doubled = CdTextString(kCdTextTitle, 0, data, data.size(), true);
  EXPECT_EQ(doubled, std::string(kCdTextWorkArea - 1, '&'));
  EXPECT_EQ(CdTextString(kCdTextTitle, 0, data, data.size(), false), ampersands);
}

TEST(CdTextStringTest, ReadsNoFurtherThanTheBytesGiven) {
  const std::vector<std::uint8_t> data = Packs(kCdTextTitle, {"One", "Two"});
  // A data length far beyond the buffer: only whole packs inside the buffer count.
  EXPECT_EQ(CdTextString(kCdTextTitle, 1, data, 20000, false), "Two");
  // A pack counts when its text bytes lie within the length (a drive's length ends two bytes
  // before the last CRC); a length that cuts the text leaves no string.
  EXPECT_EQ(CdTextString(kCdTextTitle, 0, data, 20, false), "One");
  EXPECT_EQ(CdTextString(kCdTextTitle, 0, data, 19, false), "");
}

TEST(CdTextStringsTest, AnEmptyStringKeepsItsPlace) {
  // The disc and track 2 have performers, track 1 has none: CdTextString reads the run of zeros
  // as one end and so loses track 2's place; CdTextStrings keeps it.
  const std::vector<std::uint8_t> data = Packs(kCdTextPerformer, {"Band", "", "Guest"});
  EXPECT_EQ(CdTextStrings(kCdTextPerformer, data, data.size()),
            (std::vector<std::string>{"Band", "", "Guest"}));
  EXPECT_EQ(CdTextString(kCdTextPerformer, 1, data, data.size(), false), "");
  EXPECT_TRUE(CdTextStrings(kCdTextTitle, data, data.size()).empty());
}

}  // namespace
}  // namespace korvel::drive
