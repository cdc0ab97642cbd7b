// What the kernel's power supply class says powers the machine: its mains and USB supplies and
// the machine's own batteries (a mouse's or a keyboard's battery says nothing of the machine).
// The attributes are outside data: a value that is missing, too long or out of range stays
// unknown.
#pragma once

#include <filesystem>

#include "platform/FlashFacts.h"

namespace korvel::platform::linux_host {

// `dir` is the class directory (/sys/class/power_supply on a real machine). On battery when a
// system battery discharges and no mains or USB supply is online; the charge is the capacity of
// a single battery, and for several the energy (or, failing that, the charge) left over the
// energy (charge) when full, summed over all of them, else the mean of their capacities.
PowerReading ReadPowerSupplyClass(const std::filesystem::path& dir);

}  // namespace korvel::platform::linux_host
