// What the power daemon's display device (the machine's batteries as one) and its own on-battery
// flag say powers the machine.
#pragma once

#include <optional>

#include "platform/FlashFacts.h"
#include "platform/linux/SystemBus.h"

namespace korvel::platform::linux_host {

// Nothing when the daemon is not on the bus or says nothing usable, so that the kernel can be
// asked instead. On battery when the daemon says so or its display device discharges.
std::optional<PowerReading> ReadUPower(const SystemBus& bus);

}  // namespace korvel::platform::linux_host
