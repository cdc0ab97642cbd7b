#include "platform/linux/MountInfo.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/linux/MountField.h"

namespace korvel::platform::linux_host {

namespace {

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
    std::string point = UnescapeMountField(mountPoint);
    if (std::find(points.begin(), points.end(), point) == points.end()) {
      points.push_back(std::move(point));
    }
  }
  return points;
}

}  // namespace korvel::platform::linux_host
