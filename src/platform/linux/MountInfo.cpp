#include "platform/linux/MountInfo.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace korvel::platform::linux_host {

namespace {

// Names with blanks, tabs, newlines or backslashes are written with those as "\ooo".
std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos && digits[0] <= '3') {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool ParseNumber(const std::string& text, unsigned& value) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && at == end && !text.empty();
}

// "major:minor", both decimal.
bool ParseDevice(const std::string& field, dev_t& device) {
  const std::size_t colon = field.find(':');
  if (colon == std::string::npos) return false;
  unsigned major = 0;
  unsigned minor = 0;
  if (!ParseNumber(field.substr(0, colon), major) || !ParseNumber(field.substr(colon + 1), minor)) {
    return false;
  }
  device = makedev(major, minor);
  return true;
}

}  // namespace

std::vector<std::string> MountPointsOfDevice(dev_t device,
                                             const std::filesystem::path& mountInfoFile) {
  std::vector<std::string> points;
  std::ifstream in(mountInfoFile);
  std::string line;
  while (std::getline(in, line)) {
    // mount ID, parent ID, major:minor, root, mount point, ...
    std::istringstream fields(line);
    std::string mountId;
    std::string parentId;
    std::string number;
    std::string root;
    std::string mountPoint;
    if (!(fields >> mountId >> parentId >> number >> root >> mountPoint)) continue;
    dev_t listed = 0;
    if (!ParseDevice(number, listed) || listed != device) continue;
    std::string point = Unescape(mountPoint);
    if (std::find(points.begin(), points.end(), point) == points.end()) {
      points.push_back(std::move(point));
    }
  }
  return points;
}

}  // namespace korvel::platform::linux_host
