#include "cli/CheckCommand.h"

#include <sys/stat.h>

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

TEST_F(CheckCommandTest, ARefusedFileIsExplainedOnStderr) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::vector<std::uint8_t> head(formatB.begin(), formatB.begin() + 1000);
  const std::string shortFile = WriteFile("short.bin", head);
  std::vector<std::uint8_t> unsigned_ = formatB;
  unsigned_[formats::kFormatB.signatureOffset] ^= 0xFF;
  const std::string unsignedFile = WriteFile("unsigned.bin", unsigned_);
  std::vector<std::uint8_t> broken = formatB;
  formats::StoreChecksumOffByOne(broken, formats::kFormatB);
  const std::string brokenFile = WriteFile("broken.bin", broken);
  const std::string fifo = (folder_ / "fifo.bin").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::vector<std::string> arguments;
    std::string err;  // empty: nothing on stderr
  } cases[] = {
      {{"--simulate", "check", (folder_ / "missing.bin").string()},
       "korvelfw: cannot open \"" + (folder_ / "missing.bin").string() +
           "\": there is no such file; name the upgrade file (.bin)\n"},
      {{"--simulate", "check", folder_.string()},
       "korvelfw: cannot open \"" + folder_.string() +
           "\": it is a folder, a FIFO or a device, or you may not read it; name an upgrade file "
           "(.bin) you can read\n"},
      {{"--simulate", "check", fifo},
       "korvelfw: cannot open \"" + fifo +
           "\": it is a folder, a FIFO or a device, or you may not read it; name an upgrade file "
           "(.bin) you can read\n"},
      // Character devices read for ever (/dev/zero, /dev/urandom) or as nothing (/dev/null).
      {{"--simulate", "check", "/dev/zero"},
       "korvelfw: cannot open \"/dev/zero\": it is a folder, a FIFO or a device, or you may not "
       "read it; name an upgrade file (.bin) you can read\n"},
      {{"--simulate", "check", "/dev/urandom"},
       "korvelfw: cannot open \"/dev/urandom\": it is a folder, a FIFO or a device, or you may "
       "not read it; name an upgrade file (.bin) you can read\n"},
      {{"--simulate", "check", "/dev/null"},
       "korvelfw: cannot open \"/dev/null\": it is a folder, a FIFO or a device, or you may not "
       "read it; name an upgrade file (.bin) you can read\n"},
      {{"--simulate", "check", shortFile},
       "korvelfw: \"" + shortFile +
           "\" ends after 1000 bytes; a format B upgrade file, the format this drive takes, holds "
           "524288 bytes\n"},
      {{"--simulate", "check", unsignedFile},
       "korvelfw: \"" + unsignedFile +
           "\" is not a format B upgrade file, the format this drive takes: its signature "
           "\"VELMORA VEDRIN  000\" is not at offset 0x7FF1C\n"},
      {{"--simulate", "check", file, "--drive", "1:1"},
       "korvelfw: \"" + file +
           "\" is not a format A upgrade file, the format this drive takes: its signature "
           "\"VELMORA BRESKAN 000\" is not at offset 0x5FF1C\n"},
      // The status line already says what is wrong.
      {{"--simulate", "check", brokenFile}, ""},
      {{"--simulate", "check", file}, ""},
  };
  for (const auto& test : cases) {
    Run(test.arguments);
    EXPECT_EQ(err.str(), test.err) << test.arguments[2];
  }
}

TEST_F(CheckCommandTest, ARefusedUpgradeIsExplainedToo) {
  const std::string missing = (folder_ / "missing.bin").string();
  EXPECT_EQ(Run({"--simulate", "upgrade", missing, "--yes"}), kExitFailed);
  EXPECT_EQ(out.str(), "! This file is not a valid upgrade file for this drive !\n");
  EXPECT_NE(err.str().find("cannot open \"" + missing + "\": there is no such file"),
            std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace korvel::cli
