#include "cli/CheckCommand.h"

#include <nlohmann/json.hpp>

#include "UpgradeCommandFixture.h"
#include "cli/ExitCodes.h"

namespace korvel::cli {
namespace {

class CheckCommandTest : public testing::UpgradeCommandFixture {};

TEST_F(CheckCommandTest, PrintsTheStatusLineAndExitsByTheVerdict) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  std::vector<std::uint8_t> broken = formatB;
  formats::StoreChecksumOffByOne(broken, formats::kFormatB);
  const std::string brokenFile = WriteFile("broken.bin", broken);
  const struct {
    std::vector<std::string> arguments;
    int exit;
    std::string out;
  } cases[] = {
      {{"--simulate", "check", file}, kExitSuccess, "Valid upgrade file loaded: rz5140.bin\n"},
      {{"--simulate", "check", file, "--drive", "0:2"},
       kExitSuccess,
       "Valid upgrade file loaded: rz5140.bin\n"},
      {{"--simulate", "check", file, "--drive", "1:1"},
       kExitFailed,
       "! This file is not a valid upgrade file for this drive !\n"},
      {{"--simulate", "check", (folder_ / "missing.bin").string()},
       kExitFailed,
       "! This file is not a valid upgrade file for this drive !\n"},
      {{"--simulate", "check", file, "--drive", "1:5"},
       kExitFailed,
       "Please select an upgrade file for this drive.\n"},
      {{"--simulate", "check", file, "--drive", "0:4"}, kExitNoTransport, ""},
      {{"--simulate", "check", file, "--drive", "9:9"}, kExitBadUsage, ""},
      {{"--simulate", "check"}, kExitBadUsage, ""},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(Run(test.arguments), test.exit) << test.arguments.back();
    EXPECT_EQ(out.str(), test.out) << test.arguments.back();
  }
  EXPECT_EQ(Run({"--simulate", "check", brokenFile}), kExitFailed);
  EXPECT_EQ(out.str().rfind("Checksum error: ", 0), 0u) << out.str();
}

TEST_F(CheckCommandTest, JsonGivesTheVerdictAsAnObject) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  ASSERT_EQ(Run({"--simulate", "--json", "check", file}), kExitSuccess);
  const nlohmann::json result = nlohmann::json::parse(out.str());
  EXPECT_EQ(result["drive"], "0:2");
  EXPECT_EQ(result["status"], "Valid upgrade file loaded: rz5140.bin");
  EXPECT_EQ(result["valid"], true);
}

TEST_F(CheckCommandTest, AModelWithoutAFormatIsExplained) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  EXPECT_EQ(Run({"--simulate", "check", file, "--drive", "1:5"}), kExitFailed);
  EXPECT_NE(err.str().find("no upgrade-file format serves the drive at 1:5"), std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace korvel::cli
