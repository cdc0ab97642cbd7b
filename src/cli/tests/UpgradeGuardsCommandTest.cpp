// korvelfw upgrade on simulated PCs whose scenarios say that the drive is in use or that the
// battery is low: what is refused, what is said, and that no WRITE BUFFER reaches the drive.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "UpgradeCommandFixture.h"
#include "cli/ExitCodes.h"
#include "platform/sim/DefaultScenario.h"

namespace korvel::cli {
namespace {

class UpgradeGuardsCommandTest : public testing::UpgradeCommandFixture {
 protected:
  // The built-in PC with `guards` as its "flash_guards" object.
  std::string Scenario(const char* guards) {
    nlohmann::json scenario = nlohmann::json::parse(platform::sim::kDefaultScenarioJson);
    scenario["flash_guards"] = nlohmann::json::parse(guards);
    const std::string text = scenario.dump();
    return WriteFile("scenario.json", std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  std::string Log() {
    std::ifstream file(folder_ / "commands.jsonl");
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  std::string LogPath() { return (folder_ / "commands.jsonl").string(); }
};

// Asked on a terminal, every guard that would refuse is named before the question; with --yes
// the first refusal of the checks that go with the holds is said.
TEST_F(UpgradeGuardsCommandTest, EveryGuardThatWouldRefuseIsNamedBeforeAnythingIsSent) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::string scenario = Scenario(R"({"power": {"source": "battery", "percent": 9},
      "drives": {"0:2": {"mounted_at": ["E:\\"], "processes": [{"pid": 31, "program": "BURN"}],
                         "others_unchecked": true}}})");
  EXPECT_EQ(Run({"--simulate=" + scenario, "--log-commands", LogPath(), "upgrade", file, "--drive",
                 "0:2"},
                "y\n", true),
            kExitFailed);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "note: the processes of other users could not be checked for drive 0:2; make sure "
            "that no other user's program is using it (run as root to check them all)\n"
            "korvelfw: the computer runs on battery with 9% left (the scenario), too little to "
            "flash a drive safely: a flash needs at least 25%; connect the computer to mains "
            "power, or use --ignore-power to flash anyway\n"
            "korvelfw: drive 0:2 has a file system mounted at E:\\; unmount it (umount E:\\) "
            "before you flash the drive\n"
            "korvelfw: drive 0:2 is in use by PID 31 (BURN); close that program before you flash "
            "the drive\n"
            "korvelfw: nothing was sent to the drive\n");
  std::string log = Log();
  EXPECT_EQ(log.find("\"3B "), std::string::npos);
  EXPECT_EQ(log.find("\"01 00 00 00 00 00\""), std::string::npos) << "REZERO UNIT was sent";

  EXPECT_EQ(Run({"--simulate=" + scenario, "--log-commands", LogPath(), "--json", "upgrade", file,
                 "--drive", "0:2", "--yes"}),
            kExitFailed);
  const std::string power =
      "the computer runs on battery with 9% left (the scenario), too little to flash a drive "
      "safely: a flash needs at least 25%; connect the computer to mains power, or use "
      "--ignore-power to flash anyway";
  EXPECT_EQ(err.str(), "korvelfw: " + power + "\nkorvelfw: nothing was sent to the drive\n");
  const nlohmann::json result = nlohmann::json::parse(out.str());
  EXPECT_EQ(result["refused_by_guards"], nlohmann::json::array({power}));
  EXPECT_EQ(result["chunks_sent"], 0);
  EXPECT_EQ(result["success"], false);
  log = Log();
  EXPECT_EQ(log.find("\"3B "), std::string::npos);
  EXPECT_EQ(log.find("\"01 00 00 00 00 00\""), std::string::npos) << "REZERO UNIT was sent";
}

TEST_F(UpgradeGuardsCommandTest, OnlyTheGuardsOfTheChosenDriveCount) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::string scenario =
      Scenario(R"({"drives": {"1:1": {"flashed_by_another": true, "mounted_at": ["G:\\"]}}})");
  EXPECT_EQ(Run({"--simulate=" + scenario, "upgrade", file, "--drive", "0:2", "--yes"}),
            kExitSuccess)
      << err.str();
}

TEST_F(UpgradeGuardsCommandTest, ThePowerGuardGivesWayToIgnorePowerAndToAQuarterCharge) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const struct {
    const char* guards;
    std::vector<std::string> extra;
    int exit;
  } cases[] = {
      {R"({"power": {"source": "battery", "percent": 24}})", {}, kExitFailed},
      {R"({"power": {"source": "battery", "percent": 24}})", {"--ignore-power"}, kExitSuccess},
      {R"({"power": {"source": "battery", "percent": 25}})", {}, kExitSuccess},
      {R"({"power": {"source": "battery"}})", {}, kExitSuccess},
      {R"({"power": {"source": "mains", "percent": 1}})", {}, kExitSuccess},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments{
        "--simulate=" + Scenario(c.guards), "--log-commands", LogPath(), "upgrade", file, "--yes"};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(Run(arguments), c.exit) << c.guards << err.str();
    const std::string log = Log();
    int writes = 0;
    for (std::size_t at = log.find("\"3B "); at != std::string::npos;
         at = log.find("\"3B ", at + 1))
      ++writes;
    EXPECT_EQ(writes, c.exit == kExitSuccess ? 64 : 0) << c.guards;
  }
}

TEST_F(UpgradeGuardsCommandTest, ADryRunRehearsesButSaysWhatWouldRefuseAndFails) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::string scenario = Scenario(R"({"drives": {"0:2": {"flashed_by_another": true}}})");
  EXPECT_EQ(Run({"--simulate=" + scenario, "--json", "upgrade", file, "--dry-run"}), kExitFailed);
  EXPECT_EQ(err.str(),
            "korvelfw: the upgrade would be refused: drive 0:2 is being flashed by another "
            "program; wait until it has finished\n");
  const nlohmann::json result = nlohmann::json::parse(out.str());
  EXPECT_EQ(result["chunks_sent"], 64);
  EXPECT_EQ(result["success"], true);
  EXPECT_EQ(result["refused_by_guards"],
            nlohmann::json::array({"drive 0:2 is being flashed by another program; wait until it "
                                   "has finished"}));

  // With nothing in the way the rehearsal passes and the list is empty.
  ASSERT_EQ(Run({"--simulate", "--json", "upgrade", file, "--dry-run"}), kExitSuccess);
  EXPECT_EQ(nlohmann::json::parse(out.str())["refused_by_guards"], nlohmann::json::array());
}

TEST_F(UpgradeGuardsCommandTest, ARefusalIsSaidBeforeTheQuestion) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::string scenario =
      Scenario(R"({"drives": {"0:2": {"processes": [{"pid": 8, "program": "PLAYER"}]}}})");
  EXPECT_EQ(Run({"--simulate=" + scenario, "upgrade", file}, "y\n", true), kExitFailed);
  EXPECT_EQ(err.str().find("[y/N]"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("PID 8 (PLAYER)"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace korvel::cli
