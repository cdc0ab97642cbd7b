#include "upgrade/TickWait.h"

#include <gtest/gtest.h>

#include <numeric>

#include "FakeHost.h"

namespace korvel::upgrade {
namespace {

struct WaitCase {
  platform::DWORD start;
  platform::DWORD step;
  platform::DWORD wait;
  bool sleepMovesTick;
};

void PrintTo(const WaitCase& test, std::ostream* out) {
  *out << "start " << test.start << " step " << test.step << " wait " << test.wait
       << (test.sleepMovesTick ? "" : " with sleeps that come back at once");
}

class TickWaitTest : public ::testing::TestWithParam<WaitCase> {};

// The wait ends at the first reading at least `wait` after the first, however the counter
// stands: soon after boot, across its wrap-around, in steps coarser than a millisecond, and
// even when the sleeps between readings do not last.
TEST_P(TickWaitTest, LastsTheWholeWaitAndEndsSoonAfter) {
  const WaitCase& test = GetParam();
  testing::FakeKernel kernel;
  kernel.tick = test.start;
  kernel.step = test.step;
  kernel.sleepMovesTick = test.sleepMovesTick;
  WaitOnTickCount(kernel, test.wait);
  const auto lastReading = static_cast<platform::DWORD>(kernel.tick - test.step);
  const auto waited = static_cast<platform::DWORD>(lastReading - test.start);
  EXPECT_GE(waited, test.wait);
  EXPECT_LE(waited, test.wait + test.step);
}

// Between every two readings the wait sleeps for the time still missing; when the sleeps last,
// that is a handful of readings and no more sleep than the wait itself.
TEST_P(TickWaitTest, SleepsBetweenReadingsInsteadOfSpinning) {
  const WaitCase& test = GetParam();
  testing::FakeKernel kernel;
  kernel.tick = test.start;
  kernel.step = test.step;
  kernel.sleepMovesTick = test.sleepMovesTick;
  WaitOnTickCount(kernel, test.wait);
  ASSERT_FALSE(kernel.sleeps.empty());
  // The first reading starts the wait, the last one ends it, one sleep after each other one.
  EXPECT_EQ(kernel.readings, static_cast<int>(kernel.sleeps.size()) + 2);
  EXPECT_EQ(kernel.sleeps.front(), test.wait - test.step);
  for (const platform::DWORD sleep : kernel.sleeps) EXPECT_LE(sleep, test.wait);
  if (test.sleepMovesTick) {
    EXPECT_LE(kernel.readings, 3);
    EXPECT_LE(std::accumulate(kernel.sleeps.begin(), kernel.sleeps.end(), platform::DWORD{0}),
              test.wait);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Counters, TickWaitTest,
    ::testing::Values(WaitCase{100000, 1, kSaveWaitMs, true},
                      WaitCase{100000, 1, kRestartWaitMs, true}, WaitCase{0, 1, kSaveWaitMs, true},
                      WaitCase{500, 16, kSaveWaitMs, true}, WaitCase{1999, 1, kSaveWaitMs, true},
                      WaitCase{0xFFFFFFFFu - 5, 1, kSaveWaitMs, true},
                      WaitCase{0xFFFFFFFFu - 5, 16, kSaveWaitMs, true},
                      WaitCase{0xFFFFFFFFu - 1500, 15, kRestartWaitMs, true},
                      WaitCase{100000, 1, kSaveWaitMs, false},
                      WaitCase{0xFFFFFFFFu - 5, 16, kSaveWaitMs, false},
                      WaitCase{0xFFFFFFFFu - 1500, 15, kRestartWaitMs, false}));

}  // namespace
}  // namespace korvel::upgrade
