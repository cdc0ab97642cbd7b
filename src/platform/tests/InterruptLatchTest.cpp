#include "platform/InterruptLatch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace korvel::platform {
namespace {

using Action = InterruptLatch::Action;

// One step of a run: an interrupt arriving (signal > 0) or the flash's first write (0).
struct Step {
  int signal;
  // For an interrupt, what the latch decides; for the first write, whether it may begin.
  Action action = Action::Stop;
  bool mayBegin = false;
};

Step Interrupt(int signal, Action action) {
  return {signal, action, false};
}
Step FirstWrite(bool mayBegin) {
  return {0, Action::Stop, mayBegin};
}

struct LatchCase {
  std::string name;
  std::vector<Step> steps;
  int arrived;
};

void PrintTo(const LatchCase& c, std::ostream* os) {
  *os << c.name;
}

const char* NameOf(Action action) {
  switch (action) {
    case Action::Stop:
      return "Stop";
    case Action::Announce:
      return "Announce";
    case Action::Ignore:
      return "Ignore";
  }
  return "?";
}

class InterruptLatchTest : public testing::TestWithParam<LatchCase> {};

TEST_P(InterruptLatchTest, DecidesEachInterruptAndTheFirstWrite) {
  InterruptLatch latch;
  int index = 0;
  for (const Step& step : GetParam().steps) {
    SCOPED_TRACE("step " + std::to_string(index++));
    if (step.signal == 0) {
      EXPECT_EQ(latch.HoldFromNow(), step.mayBegin);
    } else {
      EXPECT_STREQ(NameOf(latch.Arrive(step.signal)), NameOf(step.action));
    }
  }
  EXPECT_EQ(latch.Arrived(), GetParam().arrived);
}

// 2 is SIGINT, 15 SIGTERM, as the programs name them.
INSTANTIATE_TEST_SUITE_P(
    Runs, InterruptLatchTest,
    testing::Values(
        LatchCase{"NothingArrives", {FirstWrite(true)}, 0},
        LatchCase{
            "BeforeTheFirstWriteStopsTheFlash", {Interrupt(2, Action::Stop), FirstWrite(false)}, 2},
        // A second interrupt before the first write does not replace the first one's name.
        LatchCase{"TheFirstInterruptIsTheOneNamed",
                  {Interrupt(15, Action::Stop), Interrupt(2, Action::Stop), FirstWrite(false)},
                  15},
        LatchCase{"DuringTheFlashAnnouncedOnce",
                  {FirstWrite(true), Interrupt(2, Action::Announce), Interrupt(2, Action::Ignore),
                   Interrupt(15, Action::Ignore)},
                  2},
        // Refused once, the flash never holds: later interrupts keep saying stop.
        LatchCase{"AfterARefusedFirstWriteNothingIsHeld",
                  {Interrupt(2, Action::Stop), FirstWrite(false), Interrupt(15, Action::Stop)},
                  2}),
    [](const testing::TestParamInfo<LatchCase>& info) { return info.param.name; });

}  // namespace
}  // namespace korvel::platform
