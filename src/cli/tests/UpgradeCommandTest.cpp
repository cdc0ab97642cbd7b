#include "cli/UpgradeCommand.h"

#include <nlohmann/json.hpp>

#include "UpgradeCommandFixture.h"
#include "cli/ExitCodes.h"

namespace korvel::cli {
namespace {

class UpgradeCommandTest : public testing::UpgradeCommandFixture {};

TEST_F(UpgradeCommandTest, FlashesWithYesAndShowsTheVersionBeforeAndAfter) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  ASSERT_EQ(Run({"--simulate", "upgrade", file, "--drive", "0:2", "--yes"}), kExitSuccess)
      << err.str();
  std::string expected =
      "Valid upgrade file loaded: rz5140.bin\nPlease wait: upgrade in progress !\n";
  for (int sent = 8; sent <= 64; sent += 8) {
    expected += "sent " + std::to_string(sent) + " of 64 chunks\n";
  }
  expected += "!! Upgrade finished succesfully !!\nFirmware version: 1.00 before, 1.50 now\n";
  EXPECT_EQ(out.str(), expected);
  EXPECT_EQ(err.str(), "");
}

TEST_F(UpgradeCommandTest, WithoutYesItRefusesOffATerminalAndAsksOnOne) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  EXPECT_EQ(Run({"--simulate", "upgrade", file}), kExitBadUsage);
  EXPECT_NE(err.str().find("pass --yes"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");

  EXPECT_EQ(Run({"--simulate", "upgrade", file}, "n\n", true), kExitFailed);
  EXPECT_NE(err.str().find("[y/N]"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("nothing was sent"), std::string::npos) << err.str();
}

TEST_F(UpgradeCommandTest, AConfirmedUpgradeOnATerminalDrawsABar) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  ASSERT_EQ(Run({"--simulate", "upgrade", file}, "y\n", true), kExitSuccess) << err.str();
  EXPECT_NE(out.str().find("\r[################................] 32/64 chunks"), std::string::npos);
  EXPECT_NE(out.str().find("] 64/64 chunks\n!! Upgrade finished succesfully !!\n"),
            std::string::npos)
      << out.str();
}

TEST_F(UpgradeCommandTest, ADryRunSendsNoWriteBufferAndKeepsTheVersion) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::string log = (folder_ / "commands.jsonl").string();
  ASSERT_EQ(Run({"--simulate", "--json", "--log-commands", log, "upgrade", file, "--dry-run"}),
            kExitSuccess)
      << err.str();
  const nlohmann::json result = nlohmann::json::parse(out.str());
  EXPECT_EQ(result["dry_run"], true);
  EXPECT_EQ(result["success"], true);
  EXPECT_EQ(result["chunks_sent"], 64);
  EXPECT_EQ(result["firmware_before"], "1.00");
  EXPECT_EQ(result["firmware_after"], "1.00");
  std::ifstream commands(log);
  std::string text((std::istreambuf_iterator<char>(commands)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.find("\"3B "), std::string::npos);
  EXPECT_NE(text.find("\"01 00 00 00 00 00\""), std::string::npos) << "no REZERO UNIT";
}

TEST_F(UpgradeCommandTest, ARefusedFileIsNotSentAndFailsInJson) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  ASSERT_EQ(Run({"--simulate", "--json", "upgrade", file, "--drive", "1:1", "--yes"}), kExitFailed);
  const nlohmann::json result = nlohmann::json::parse(out.str());
  EXPECT_EQ(result["status"], "! This file is not a valid upgrade file for this drive !");
  EXPECT_EQ(result["success"], false);
  EXPECT_EQ(result["sense"], nullptr);
  EXPECT_EQ(result["firmware_before"], "2.00");
}

}  // namespace
}  // namespace korvel::cli
