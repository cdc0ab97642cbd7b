#include "upgrade/TickWait.h"

namespace korvel::upgrade {

void WaitOnTickCount(platform::Kernel& kernel, platform::DWORD milliseconds) {
  const platform::DWORD start = kernel.GetTickCount();
  // Comparing start with (now - milliseconds) instead would end at once while now < milliseconds
  // and could miss its end for ~49 days when the counter wraps in coarse steps; the unsigned
  // difference has neither fault.
  for (;;) {
    const auto elapsed = static_cast<platform::DWORD>(kernel.GetTickCount() - start);
    if (elapsed >= milliseconds) return;
    // Only the counter ends the wait: a sleep that comes back early, or a counter that lags the
    // sleep's clock, costs one more reading and one more sleep, never a wait cut short.
    kernel.Sleep(milliseconds - elapsed);
  }
}

}  // namespace korvel::upgrade
