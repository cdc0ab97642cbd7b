// The registry a scenario's PC boots with: what Windows 9x or NT writes about its SCSI
// devices, or the scenario's own keys and values when it gives them.
#pragma once

#include <string>

#include "platform/sim/RegistryTree.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

void FillRegistry(const Scenario& scenario, RegistryTree& tree);

// Vendor and product as a registry names a SCSI device: 24 characters, blanks made "_".
std::string DeviceKeyOf(const emulator::DeviceConfig& device);

}  // namespace korvel::platform::sim
