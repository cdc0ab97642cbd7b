#include "platform/linux/MountTable.h"

#include <fstream>
#include <sstream>

namespace korvel::platform::linux_host {

namespace {

// The mounts file writes blanks, tabs, newlines and backslashes in names as "\ooo".
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

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
    if (SameDevice(Unescape(source), device)) return Unescape(target);
  }
  return {};
}

}  // namespace korvel::platform::linux_host
