#include "platform/linux/SysfsScsiDiscovery.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

namespace korvel::platform::linux_host {

namespace fs = std::filesystem;

namespace {

// Standard INQUIRY data: the identity fields a binary "inquiry" attribute holds.
constexpr std::size_t kVendorOffset = 8;
constexpr std::size_t kProductOffset = 16;
constexpr std::size_t kRevisionOffset = 32;
constexpr std::size_t kIdentityEnd = 36;

std::optional<std::string> ReadAttribute(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text;
}

// sysfs text attributes end with one newline; the blanks before it belong to the field.
std::string TextAttribute(const fs::path& path) {
  std::string text = ReadAttribute(path).value_or("");
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// "H:C:T:L" as the class directory names its entries.
bool ParseAddress(const std::string& name, SysfsScsiDevice& device) {
  int* fields[] = {&device.host, &device.channel, &device.target, &device.lun};
  const char* at = name.data();
  const char* end = name.data() + name.size();
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    auto [next, error] = std::from_chars(at, end, *fields[i]);
    if (error != std::errc() || *fields[i] < 0) return false;
    at = next;
    if (i + 1 < std::size(fields)) {
      if (at == end || *at != ':') return false;
      ++at;
    }
  }
  return at == end;
}

// The node a driver made for the device: a directory "<driver>/<node>" in current kernels, a
// link "<driver>:<node>" in old ones.
std::string NodeName(const fs::path& deviceDir, const std::string& driver) {
  std::error_code error;
  const fs::path classDir = deviceDir / driver;
  if (fs::is_directory(classDir, error)) {
    for (const auto& entry : fs::directory_iterator(classDir, error)) {
      return entry.path().filename().string();
    }
  }
  const std::string prefix = driver + ":";
  for (const auto& entry : fs::directory_iterator(deviceDir, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) return name.substr(prefix.size());
  }
  return {};
}

void ReadIdentity(const fs::path& deviceDir, SysfsScsiDevice& device) {
  // The raw INQUIRY data, where the kernel offers it, keeps every byte; the text attributes
  // are the fallback of older kernels.
  std::optional<std::string> inquiry = ReadAttribute(deviceDir / "inquiry");
  if (inquiry && inquiry->size() >= kIdentityEnd) {
    device.vendor = inquiry->substr(kVendorOffset, kProductOffset - kVendorOffset);
    device.product = inquiry->substr(kProductOffset, kRevisionOffset - kProductOffset);
    device.revision = inquiry->substr(kRevisionOffset, kIdentityEnd - kRevisionOffset);
    return;
  }
  device.vendor = TextAttribute(deviceDir / "vendor");
  device.product = TextAttribute(deviceDir / "model");
  device.revision = TextAttribute(deviceDir / "rev");
}

int PeripheralType(const fs::path& deviceDir) {
  const std::string text = TextAttribute(deviceDir / "type");
  int type = -1;
  auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), type);
  (void)next;
  return error == std::errc() ? type : -1;
}

}  // namespace

SysfsScsiDiscovery::SysfsScsiDiscovery(fs::path sysfsRoot, fs::path devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

std::vector<SysfsScsiDevice> SysfsScsiDiscovery::Devices() const {
  std::vector<SysfsScsiDevice> devices;
  std::error_code error;
  const fs::path classDir = sysfsRoot_ / "class" / "scsi_device";
  for (const auto& entry : fs::directory_iterator(classDir, error)) {
    SysfsScsiDevice device;
    if (!ParseAddress(entry.path().filename().string(), device)) continue;
    const fs::path deviceDir = entry.path() / "device";
    device.peripheralType = PeripheralType(deviceDir);
    ReadIdentity(deviceDir, device);
    const std::string sg = NodeName(deviceDir, "scsi_generic");
    if (!sg.empty()) device.sgNode = (devRoot_ / sg).string();
    const std::string block = NodeName(deviceDir, "block");
    if (!block.empty()) device.blockNode = (devRoot_ / block).string();
    devices.push_back(std::move(device));
  }
  std::sort(devices.begin(), devices.end(), [](const SysfsScsiDevice& a, const SysfsScsiDevice& b) {
    return std::tie(a.host, a.channel, a.target, a.lun) <
           std::tie(b.host, b.channel, b.target, b.lun);
  });
  return devices;
}

}  // namespace korvel::platform::linux_host
