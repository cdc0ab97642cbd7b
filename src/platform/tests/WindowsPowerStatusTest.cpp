#include "platform/WindowsPowerStatus.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace korvel::platform {
namespace {

struct PowerCase {
  std::string name;
  BYTE acLineStatus;
  BYTE batteryLifePercent;
  PowerReading::Source source;
  int percent;
};

void PrintTo(const PowerCase& c, std::ostream* os) {
  *os << c.name;
}

class WindowsPowerStatusTest : public testing::TestWithParam<PowerCase> {};

TEST_P(WindowsPowerStatusTest, ReadsTheLineStatusAndTheCharge) {
  const PowerCase& c = GetParam();
  const PowerReading reading = WindowsPowerReading(c.acLineStatus, c.batteryLifePercent);
  EXPECT_EQ(static_cast<int>(reading.source), static_cast<int>(c.source));
  EXPECT_EQ(reading.percent, c.percent);
  EXPECT_EQ(reading.origin, "Windows");
}

using Source = PowerReading::Source;
INSTANTIATE_TEST_SUITE_P(
    Statuses, WindowsPowerStatusTest,
    testing::Values(PowerCase{"BatteryLow", 0, 12, Source::Battery, 12},
                    PowerCase{"BatteryEmpty", 0, 0, Source::Battery, 0},
                    PowerCase{"BatteryFull", 0, 100, Source::Battery, 100},
                    PowerCase{"BatteryChargeUnknown", 0, 255, Source::Battery, -1},
                    PowerCase{"BatteryChargeOutOfRange", 0, 101, Source::Battery, -1},
                    // On mains the charge does not matter, even a low one.
                    PowerCase{"Mains", 1, 10, Source::Mains, -1},
                    PowerCase{"MainsNoBattery", 1, 255, Source::Mains, -1},
                    PowerCase{"LineUnknown", 255, 10, Source::Unknown, -1},
                    PowerCase{"LineUndefinedValue", 2, 50, Source::Unknown, -1}),
    [](const testing::TestParamInfo<PowerCase>& info) { return info.param.name; });

}  // namespace
}  // namespace korvel::platform
