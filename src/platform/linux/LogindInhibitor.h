// The session manager's inhibitor of sleep, shutdown and idling, held for as long as the file
// descriptor it hands out stays open.
#pragma once

#include <string>

#include "platform/FlashFacts.h"
#include "platform/linux/SystemBus.h"

namespace korvel::platform::linux_host {

// A hold that keeps the inhibitor until destroyed; no hold and one note when `bus` is not
// connected or the session manager is absent or refuses. Never a refusal.
HoldResult InhibitSleepAndShutdown(const SystemBus& bus, const std::string& who,
                                   const std::string& why);

// The note when the inhibitor could not be taken, for `reason` (already printable).
std::string InhibitorNote(const std::string& reason);

}  // namespace korvel::platform::linux_host
