// What the guards around a flash say: each refusal names the drive and tells what to do. Texts
// from the system (program names, mount points) are made printable here.
#pragma once

#include <string>
#include <vector>

#include "platform/FlashFacts.h"

namespace korvel::machine {

std::string LowBatteryText(const platform::PowerReading& power, int lowestPercent);
std::string FlashedByAnotherText(const std::string& drive);
std::string MountedText(const std::string& drive, const std::vector<std::string>& mountPoints);
std::string InUseText(const std::string& drive, const std::vector<platform::ProcessUse>& users);
std::string OthersUncheckedText(const std::string& drive);
// Why the flash asks the system to stay awake, for the session manager's list.
std::string KeepAwakeReason(const std::string& drive);

}  // namespace korvel::machine
