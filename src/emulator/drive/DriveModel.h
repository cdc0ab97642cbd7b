// What a Korvel drive's product identification says about its behaviour: which upgrade-file
// format its firmware takes, and whether it takes only the 10-byte mode commands.
#pragma once

#include <array>

#include "formats/UpgradeFileFormat.h"

namespace korvel::emulator {

struct DriveModel {
  // nullptr: the model's firmware cannot be replaced over the bus.
  const formats::UpgradeFileFormat* firmwareFormat = nullptr;
  bool tenByteModeCommandsOnly = false;
};

// Matches the product identification as the host does, with the letters A to Z in any case.
DriveModel ModelOfProduct(const std::array<char, 16>& product);

}  // namespace korvel::emulator
