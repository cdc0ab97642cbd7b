#include "upgrade/TickWait.h"

#include <gtest/gtest.h>

#include "FakeHost.h"

namespace korvel::upgrade {
namespace {

struct WaitCase {
  platform::DWORD start;
  platform::DWORD step;
  platform::DWORD wait;
};

void PrintTo(const WaitCase& test, std::ostream* out) {
  *out << "start " << test.start << " step " << test.step << " wait " << test.wait;
}

class TickWaitTest : public ::testing::TestWithParam<WaitCase> {};

// The wait ends at the first reading at least `wait` after the first, however the counter
// stands: soon after boot, across its wrap-around, in steps coarser than a millisecond.
TEST_P(TickWaitTest, LastsTheWholeWaitAndNoStepMore) {
  const WaitCase& test = GetParam();
  testing::FakeKernel kernel;
  kernel.tick = test.start;
  kernel.step = test.step;
  BusyWait(kernel, test.wait);
  const auto lastReading = static_cast<platform::DWORD>(kernel.tick - test.step);
  const auto waited = static_cast<platform::DWORD>(lastReading - test.start);
  EXPECT_GE(waited, test.wait);
  EXPECT_LT(waited, test.wait + test.step);
}

INSTANTIATE_TEST_SUITE_P(
    Counters, TickWaitTest,
    ::testing::Values(WaitCase{100000, 1, kSaveWaitMs}, WaitCase{100000, 1, kRestartWaitMs},
                      WaitCase{0, 1, kSaveWaitMs}, WaitCase{500, 16, kSaveWaitMs},
                      WaitCase{1999, 1, kSaveWaitMs}, WaitCase{0xFFFFFFFFu - 5, 1, kSaveWaitMs},
                      WaitCase{0xFFFFFFFFu - 5, 16, kSaveWaitMs},
                      WaitCase{0xFFFFFFFFu - 1500, 15, kRestartWaitMs}));

}  // namespace
}  // namespace korvel::upgrade
