#include "upgrade/TickWait.h"

namespace korvel::upgrade {

void BusyWait(platform::Kernel& kernel, platform::DWORD milliseconds) {
  const platform::DWORD start = kernel.GetTickCount();
  // Comparing start with (now - milliseconds) instead would end at once while now < milliseconds
  // and could miss its end for ~49 days when the counter wraps in coarse steps; the unsigned
  // difference has neither fault.
  while (static_cast<platform::DWORD>(kernel.GetTickCount() - start) < milliseconds) {
  }
}

}  // namespace korvel::upgrade
