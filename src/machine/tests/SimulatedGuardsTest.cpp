// The scenario form of the guards' facts, read and refused as a scenario's other keys are.
#include <gtest/gtest.h>

#include "emulator/ConfigError.h"
#include "machine/SimulatedFlashHost.h"
#include "platform/sim/Scenario.h"

namespace korvel::machine {
namespace {

using nlohmann::json;

TEST(SimulatedGuardsTest, TheScenarioSaysWhatTheGuardsSee) {
  const platform::sim::FlashGuardSettings settings = platform::sim::ReadFlashGuards(json::parse(R"({
    "power": {"source": "battery", "percent": 7},
    "drives": {"1:15": {"mounted_at": ["E:\\"], "processes": [{"pid": 4242, "program": "BURN"},
                                                          {"pid": "0x10"}],
                        "others_unchecked": true},
               "0:2": {"flashed_by_another": true}}})"));
  SimulatedFlashHost host(settings, nullptr);
  EXPECT_EQ(host.ReadPower().source, platform::PowerReading::Source::Battery);
  EXPECT_EQ(host.ReadPower().percent, 7);
  EXPECT_EQ(host.ReadPower().origin, "the scenario");
  const platform::DriveUse use = host.UseOf({1, 15});
  EXPECT_EQ(use.mountPoints, std::vector<std::string>{"E:\\"});
  ASSERT_EQ(use.processes.size(), 2u);
  EXPECT_EQ(use.processes[0].pid, 4242);
  EXPECT_EQ(use.processes[0].program, "BURN");
  EXPECT_EQ(use.processes[1].pid, 16);
  EXPECT_EQ(use.processes[1].program, "");
  EXPECT_TRUE(use.othersUnchecked);
  EXPECT_FALSE(host.FlashedByAnother({1, 15}));
  EXPECT_TRUE(host.FlashedByAnother({0, 2}));
  EXPECT_EQ(host.HoldDrive({0, 2}).refusal,
            "drive 0:2 is being flashed by another program; wait until it has finished");
  EXPECT_NE(host.HoldDrive({1, 15}).hold, nullptr);
  // A drive the scenario does not name is free, and nothing of the host is taken.
  EXPECT_TRUE(host.UseOf({0, 0}).processes.empty());
  EXPECT_EQ(host.KeepAwake("korvelfw", "why").hold, nullptr);
  EXPECT_TRUE(host.KeepAwake("korvelfw", "why").notes.empty());
  EXPECT_EQ(host.ShieldSignals("korvelfw"), nullptr);
}

TEST(SimulatedGuardsTest, AFaultyGuardObjectIsRefusedWithItsPath) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {R"({"power": {"source": "solar"}})",
       "flash_guards.power.source: must be \"battery\", \"mains\" or \"unknown\""},
      {R"({"power": {"percent": 101}})", "flash_guards.power.percent"},
      {R"({"drives": {"8:0": {}}})",
       "flash_guards.drives.8:0: is not a drive address H:T (adapter 0..7, target 0..15)"},
      {R"({"drives": {"1:": {}}})", "flash_guards.drives.1:"},
      {R"({"drives": {"1:2x": {}}})", "flash_guards.drives.1:2x"},
      {R"({"drives": {"0:1": {"processes": [{"program": "x"}]}}})",
       "flash_guards.drives.0:1.processes[0].pid: missing"},
      {R"({"drives": {"0:1": {"mounted": []}}})", "flash_guards.drives.0:1.mounted"},
      {R"({"drives": {"0:1": {"mounted_at": "E:"}}})", "flash_guards.drives.0:1.mounted_at"},
      {R"({"battery": 1})", "flash_guards.battery"},
      {R"([])", "flash_guards"},
  };
  for (const auto& c : cases) {
    try {
      platform::sim::ReadFlashGuards(json::parse(c.text));
      ADD_FAILURE() << c.text << " was taken";
    } catch (const emulator::ConfigError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(c.error, 0), 0u) << error.what();
    }
  }
}

}  // namespace
}  // namespace korvel::machine
