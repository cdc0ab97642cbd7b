// Makes emulated devices from their scenario descriptions.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "emulator/Clock.h"
#include "emulator/DeviceConfig.h"
#include "emulator/ScsiTarget.h"

namespace korvel::emulator {

// Reads one target object of a scenario. `where` names it in error messages (for example
// "adapters[0].targets[2]"); a bad key throws ConfigError naming the key and the fault. The keys
// "id" and "letter" belong to the simulated PC and are accepted without being read here. Disc
// images are named relative to `baseDirectory`, the folder of the scenario file.
DeviceConfig ParseDeviceConfig(const nlohmann::json& target, const std::string& where,
                               const std::filesystem::path& baseDirectory = ".");

// A device that behaves as `config` describes, keeping time on `clock`.
std::unique_ptr<ScsiTarget> MakeDevice(const DeviceConfig& config, Clock& clock);

}  // namespace korvel::emulator
