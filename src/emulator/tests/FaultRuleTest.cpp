// Faults from the scenario: a given occurrence of a command, a mode, no answer, a slow device.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

struct Step {
  Bytes cdb;
  bool answered;
  std::uint8_t status;
  SenseCode sense;
};

constexpr SenseCode kNone{};
constexpr SenseCode kHardwareError{0x04, 0x44, 0x00};

CommandResult Send(DeviceUnderTest& drive, const Bytes& cdb) {
  if (cdb[0] == 0x3B) return drive.Out(cdb, Bytes(16, 0));
  Bytes data(56, 0);
  return drive.In(cdb, data);
}

struct FaultCase {
  const char* name;
  json faults;
  std::vector<Step> steps;
};

TEST(FaultRuleTest, RulesMatchOpcodeModeAndOccurrence) {
  const Bytes mode4 = WriteBufferCdb(4, 0, 16);
  const Bytes mode5 = WriteBufferCdb(5, 0, 16);
  const Bytes tur{0, 0, 0, 0, 0, 0};
  const Bytes inquiry{0x12, 0, 0, 0, 56, 0};
  // Mode 5 of this 16-byte piece is refused by the image check; that is not the fault.
  const SenseCode badImage = sense::kInvalidFieldInParameterList;
  const FaultCase cases[] = {
      {"third mode-4 only",
       json::array({{{"opcode", "0x3B"}, {"mode", 4}, {"occurrence", 3}, {"sense", "04/44/00"}}}),
       {{mode4, true, 0, kNone},
        {mode5, true, 2, badImage},
        {mode4, true, 0, kNone},
        {mode4, true, 2, kHardwareError},
        {mode4, true, 0, kNone}}},
      {"every time",
       json::array({{{"opcode", 0}, {"sense", "02/3A/00"}}}),
       {{tur, true, 2, sense::kMediumNotPresent}, {tur, true, 2, sense::kMediumNotPresent}}},
      {"no answer to INQUIRY",
       json::array({{{"opcode", "0x12"}, {"no_answer", true}}}),
       {{inquiry, false, 0, kNone}, {tur, true, 0, kNone}, {inquiry, false, 0, kNone}}},
      {"breaks down from the second command",
       json::array(
           {{{"opcode", "any"}, {"occurrence", 2}, {"and_later", true}, {"no_answer", true}}}),
       {{tur, true, 0, kNone}, {inquiry, false, 0, kNone}, {tur, false, 0, kNone}}},
      {"busy without sense",
       json::array({{{"opcode", "0x00"}, {"occurrence", 1}, {"status", 8}}}),
       {{tur, true, 8, kNone}, {tur, true, 0, kNone}}},
      {"first matching rule decides, both count",
       json::array({{{"opcode", 0}, {"occurrence", 1}, {"sense", "04/44/00"}},
                    {{"opcode", 0}, {"occurrence", 2}, {"sense", "02/3A/00"}}}),
       {{tur, true, 2, kHardwareError},
        {tur, true, 2, sense::kMediumNotPresent},
        {tur, true, 0, kNone}}},
  };
  for (const auto& c : cases) {
    json target = Rz5140();
    target["faults"] = c.faults;
    DeviceUnderTest drive(target);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      const CommandResult result = Send(drive, step.cdb);
      EXPECT_EQ(result.answered, step.answered) << c.name << " step " << i;
      if (!step.answered) continue;
      EXPECT_EQ(result.status, step.status) << c.name << " step " << i;
      if (step.status == kStatusCheckCondition) {
        EXPECT_EQ(SenseOf(result), step.sense) << c.name << " step " << i;
      }
    }
  }
}

TEST(FaultRuleTest, FaultSenseIsKeptForRequestSense) {
  json target = Rz5140();
  target["faults"] = json::array({{{"opcode", "0x3B"}, {"mode", 4}, {"sense", "05/24/00"}}});
  DeviceUnderTest drive(target);
  ASSERT_EQ(drive.Out(WriteBufferCdb(4, 0x2000, 16), Bytes(20, 0)).status, kStatusCheckCondition);
  const Bytes sense = drive.RequestSense();
  EXPECT_EQ((Bytes{sense[0], sense[2], sense[12], sense[13]}), (Bytes{0x70, 0x05, 0x24, 0x00}));
}

TEST(FaultRuleTest, SlowDeviceSpendsItsDelayOnTheClock) {
  json target = Rz5140();
  target["delay_ms"] = 40;
  DeviceUnderTest drive(target);
  drive.NoData({0, 0, 0, 0, 0, 0});
  drive.NoData({0, 0, 0, 0, 0, 0});
  EXPECT_EQ(drive.clock.NowMs(), 80u);
}

}  // namespace
}  // namespace korvel::emulator::testing
