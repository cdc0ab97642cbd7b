// Drive paths taken apart: which texts are drive paths, and the names below the root.
#include "platform/DrivePath.h"

#include <gtest/gtest.h>

#include "platform/testing/CaseNames.h"

namespace korvel::platform {
namespace {

struct PathCase {
  const char* path;
  bool drivePath;
  char letter;
  std::vector<std::string> components;
};

void PrintTo(const PathCase& c, std::ostream* os) {
  case_names::PrintText(c.path, os);
}

class DrivePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(DrivePathTest, SplitsTheLetterFromTheNames) {
  const std::optional<DrivePath> parsed = ParseDrivePath(GetParam().path);
  ASSERT_EQ(parsed.has_value(), GetParam().drivePath);
  if (!parsed) return;
  EXPECT_EQ(parsed->letter, GetParam().letter);
  EXPECT_EQ(parsed->components, GetParam().components);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DrivePathTest,
    ::testing::Values(PathCase{"E:\\Vcd", true, 'E', {"Vcd"}},
                      PathCase{"e:\\Photo_cd\\Images", true, 'E', {"Photo_cd", "Images"}},
                      PathCase{"E:", true, 'E', {}}, PathCase{"E:\\", true, 'E', {}},
                      PathCase{"E:/a//b\\", true, 'E', {"a", "b"}},
                      PathCase{"E:\\a\\.\\b\\..\\c", true, 'E', {"a", "c"}},
                      PathCase{"E:\\..\\..\\a", true, 'E', {"a"}}, PathCase{"E:Vcd", false, 0, {}},
                      PathCase{"/tmp/x", false, 0, {}}, PathCase{"upgrade.bin", false, 0, {}},
                      PathCase{"1:\\x", false, 0, {}}, PathCase{"", false, 0, {}},
                      PathCase{":\\", false, 0, {}}));

TEST(DrivePathTest, APathTooDeepIsRefusedAndSaysSo) {
  std::string path = "E:";
  for (std::size_t i = 0; i < kMaxDrivePathComponents; ++i) path += "\\a";
  bool tooDeep = true;
  ASSERT_TRUE(ParseDrivePath(path.c_str(), &tooDeep));
  EXPECT_FALSE(tooDeep);
  path += "\\a";
  EXPECT_FALSE(ParseDrivePath(path.c_str(), &tooDeep));
  EXPECT_TRUE(tooDeep);
  EXPECT_FALSE(ParseDrivePath(nullptr, &tooDeep));
}

}  // namespace
}  // namespace korvel::platform
