#include "machine/FlashGuardTexts.h"

#include "machine/PrintableText.h"

namespace korvel::machine {
namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? " and " : ", ";
    text += items[i];
  }
  return text;
}

}  // namespace

std::string LowBatteryText(const platform::PowerReading& power, int lowestPercent) {
  return "the computer runs on battery with " + std::to_string(power.percent) + "% left (" +
         PrintableText(power.origin) +
         "), too little to flash a drive safely: " + "a flash needs at least " +
         std::to_string(lowestPercent) +
         "%; connect the computer to mains power, or use --ignore-power to flash anyway";
}

std::string FlashedByAnotherText(const std::string& drive) {
  return "drive " + PrintableText(drive) +
         " is being flashed by another program; wait until it has finished";
}

std::string MountedText(const std::string& drive, const std::vector<std::string>& mountPoints) {
  std::vector<std::string> points;
  for (const std::string& point : mountPoints) points.push_back(PrintableText(point));
  return "drive " + PrintableText(drive) + " has a file system mounted at " + Joined(points) +
         "; unmount it (umount " + points.front() + ") before you flash the drive";
}

std::string InUseText(const std::string& drive, const std::vector<platform::ProcessUse>& users) {
  std::vector<std::string> names;
  for (const platform::ProcessUse& user : users) {
    std::string name = "PID " + std::to_string(user.pid);
    if (!user.program.empty()) name += " (" + PrintableText(user.program) + ")";
    names.push_back(name);
  }
  return "drive " + PrintableText(drive) + " is in use by " + Joined(names) + "; close " +
         (users.size() == 1 ? "that program" : "those programs") + " before you flash the drive";
}

std::string OthersUncheckedText(const std::string& drive) {
  return "the processes of other users could not be checked for drive " + PrintableText(drive) +
         "; make sure that no other user's program is using it (run as root to check them all)";
}

std::string KeepAwakeReason(const std::string& drive) {
  return "Flashing the firmware of drive " + PrintableText(drive) +
         "; stopping half way can leave the drive unusable";
}

}  // namespace korvel::machine
