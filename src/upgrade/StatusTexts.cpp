#include "upgrade/StatusTexts.h"

#include <cstdio>

namespace korvel::upgrade {
namespace {

std::string SenseBytesText(const SenseReport& sense) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", sense[0], sense[1], sense[2], sense[3]);
  return text;
}

}  // namespace

std::string ChecksumErrorText(std::uint16_t computed, std::uint16_t stored) {
  char text[40];
  std::snprintf(text, sizeof text, "Checksum error: %X <-> %X", static_cast<unsigned>(computed),
                static_cast<unsigned>(stored));
  return text;
}

std::string_view FileNameOf(std::string_view path) {
  // Windows accepts both separators, and the Linux build only the forward one.
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string ValidFileText(std::string_view path) {
  return "Valid upgrade file loaded: " + std::string(FileNameOf(path));
}

std::string UpgradeFailedText(const SenseReport& sense) {
  return "!! ERROR: Upgrade failed! (sense " + SenseBytesText(sense) + ")";
}

std::string TransferReadErrorText(const SenseReport& sense) {
  return "!! ERROR: Upgrade file read error! (sense " + SenseBytesText(sense) + ")";
}

std::string CannotOpenFileText(platform::DWORD error) {
  std::string reason;
  switch (error) {
    case platform::ERROR_FILE_NOT_FOUND:
    case platform::ERROR_PATH_NOT_FOUND:
      reason = "file not found";
      break;
    case platform::ERROR_SHARING_VIOLATION:
      reason = "file in use by another program";
      break;
    case platform::ERROR_ACCESS_DENIED:
      reason = "access denied";
      break;
    default:
      reason = "system error " + std::to_string(error);
      break;
  }
  return "!! ERROR: Cannot open the upgrade file! (" + reason + ")";
}

}  // namespace korvel::upgrade
