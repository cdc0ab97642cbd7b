#include "platform/linux/MountTable.h"

#include <fstream>
#include <sstream>

#include "platform/linux/MountField.h"

namespace korvel::platform::linux_host {

namespace {

bool SameDevice(const std::string& listed, const std::string& device) {
  if (listed == device) return true;
  // Mounted through a link such as /dev/cdrom.
  std::error_code error;
  const auto a = std::filesystem::canonical(listed, error);
  if (error) return false;
  const auto b = std::filesystem::canonical(device, error);
  return !error && a == b;
}

}  // namespace

std::string MountPointOf(const std::string& device, const std::filesystem::path& mountsFile) {
  std::ifstream in(mountsFile);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string source;
    std::string target;
    if (!(fields >> source >> target)) continue;
    if (SameDevice(UnescapeMountField(source), device)) return UnescapeMountField(target);
  }
  return {};
}

}  // namespace korvel::platform::linux_host
