// How long the drive keeps the sense of a refused command: until it is delivered (by REQUEST
// SENSE, or with the status to an auto-sense host adapter) or until the next command arrives.
// Conditions (the restart's NOT READY, its one UNIT ATTENTION) are not kept sense: they last as
// long as they hold.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "formats/SampleImage.h"

namespace korvel::emulator::testing {
namespace {

struct Step {
  Bytes cdb;
  std::size_t dataIn = 0;
  bool autoSense = false;
  std::uint64_t advanceMsBefore = 0;
};

enum class Start { Fresh, JustUpgraded };

struct SenseCase {
  std::string name;
  Start start;
  std::vector<Step> steps;
  Bytes expected;  // the 18 bytes of the REQUEST SENSE sent after the steps
};

void PrintTo(const SenseCase& c, std::ostream* out) {
  *out << c.name;
}

const Bytes kTur{0x00, 0, 0, 0, 0, 0};
const Bytes kRequestSense{0x03, 0, 0, 0, 18, 0};
const Bytes kInquiry{0x12, 0, 0, 0, 36, 0};
// READ TOC format 4 (ATIP): a pressed disc has none, so the drive refuses it with 05/24/00.
const Bytes kReadAtip{0x43, 0x02, 0x04, 0, 0, 0, 0, 0x00, 0x1C, 0};
const Bytes kReadCapacity{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0};
// A vendor opcode this drive does not know: 05/20/00.
const Bytes kUnknown{0xD0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

const Bytes kNoSense{0x70, 0, 0x00, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0};
const Bytes kInvalidField{0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00, 0, 0, 0, 0};
const Bytes kInvalidOpcode{0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00, 0, 0, 0, 0};
const Bytes kBecomingReady{0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x04, 0x01, 0, 0, 0, 0};
const Bytes kPowerOnReset{0x70, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x29, 0x00, 0, 0, 0, 0};

// The drive restarts for 2500 ms after the save.
constexpr std::uint64_t kRestartMs = 2500;

class SenseLifetimeTest : public ::testing::TestWithParam<SenseCase> {};

TEST_P(SenseLifetimeTest, RequestSenseAnswersExactly) {
  const SenseCase& c = GetParam();
  DeviceUnderTest drive(Rz5140());
  if (c.start == Start::JustUpgraded) {
    for (const CommandResult& result :
         DownloadFirmware(drive, formats::MakeSampleImage(formats::kFormatB, "2.05", 11))) {
      ASSERT_EQ(result.status, kStatusGood);
    }
  }
  for (const Step& step : c.steps) {
    drive.clock.Advance(step.advanceMsBefore);
    Bytes data(step.dataIn, 0);
    if (step.autoSense) {
      drive.WithAutoSense(step.cdb, data);
    } else {
      drive.In(step.cdb, data);
    }
  }
  EXPECT_EQ(drive.RequestSense(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, SenseLifetimeTest,
    ::testing::Values(
        SenseCase{"RefusalThenRequestSense", Start::Fresh, {{kReadAtip, 28}}, kInvalidField},
        SenseCase{"RefusalThenGoodCommand", Start::Fresh, {{kReadAtip, 28}, {kTur}}, kNoSense},
        // The disc report: the ATIP probe is refused, the reads after it succeed.
        SenseCase{"RefusalThenGoodReads",
                  Start::Fresh,
                  {{kReadAtip, 28}, {kReadCapacity, 8}, {kInquiry, 36}},
                  kNoSense},
        SenseCase{"RefusalThenInquiry", Start::Fresh, {{kReadAtip, 28}, {kInquiry, 36}}, kNoSense},
        SenseCase{"DeliveredOnce", Start::Fresh, {{kReadAtip, 28}, {kRequestSense, 18}}, kNoSense},
        SenseCase{"LastRefusalWins", Start::Fresh, {{kReadAtip, 28}, {kUnknown}}, kInvalidOpcode},
        SenseCase{"RefusedRequestSenseAnswersItsOwn",
                  Start::Fresh,
                  {{kReadAtip, 28}, {{0x03, 0, 0, 0}}},
                  kInvalidField},
        SenseCase{"AutoSenseDelivered", Start::Fresh, {{kReadAtip, 28, true}}, kNoSense},
        SenseCase{"AutoSenseGoodCommandKeepsNothing",
                  Start::Fresh,
                  {{kReadAtip, 28}, {kTur, 0, true}},
                  kNoSense},
        // The restart: NOT READY while it lasts, whatever came between.
        SenseCase{"NotReadyRefusal", Start::JustUpgraded, {{kTur}}, kBecomingReady},
        SenseCase{
            "NotReadyAfterInquiry", Start::JustUpgraded, {{kTur}, {kInquiry, 36}}, kBecomingReady},
        SenseCase{"NotReadyAfterAutoSense", Start::JustUpgraded, {{kTur, 0, true}}, kBecomingReady},
        SenseCase{"NotReadyToTheLastMillisecond",
                  Start::JustUpgraded,
                  {{kTur}, {kInquiry, 36, false, kRestartMs - 1}},
                  kBecomingReady},
        // Then one UNIT ATTENTION, reported by the first command that may take it.
        SenseCase{"ReadyAgain", Start::JustUpgraded, {{kInquiry, 36, false, kRestartMs}}, kNoSense},
        SenseCase{
            "UnitAttention", Start::JustUpgraded, {{kTur, 0, false, kRestartMs}}, kPowerOnReset},
        SenseCase{"UnitAttentionReportedOnce",
                  Start::JustUpgraded,
                  {{kTur, 0, false, kRestartMs}, {kTur}},
                  kNoSense},
        SenseCase{"UnitAttentionByAutoSense",
                  Start::JustUpgraded,
                  {{kTur, 0, true, kRestartMs}},
                  kNoSense}),
    [](const ::testing::TestParamInfo<SenseCase>& info) { return info.param.name; });

// Auto-sense hands the whole sense back with the status.
TEST(SenseLifetimeTest, AutoSenseCarriesTheSense) {
  DeviceUnderTest drive(Rz5140());
  Bytes data(28, 0);
  const CommandResult result = drive.WithAutoSense(kReadAtip, data);
  ASSERT_EQ(result.status, kStatusCheckCondition);
  EXPECT_EQ(Bytes(result.sense.begin(), result.sense.end()), kInvalidField);
}

}  // namespace
}  // namespace korvel::emulator::testing
