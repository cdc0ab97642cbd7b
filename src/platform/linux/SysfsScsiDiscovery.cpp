#include "platform/linux/SysfsScsiDiscovery.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <tuple>

#include "platform/linux/SysfsAttributes.h"

namespace korvel::platform::linux_host {

namespace fs = std::filesystem;

namespace {

// Attributes are a page at most; more than this is no attribute.
constexpr std::size_t kMaxAttributeBytes = 64 * 1024;

// An attribute that exists but cannot be read: the device it belongs to is skipped.
struct UnreadableAttribute {
  fs::path path;
  int error = 0;
};

// The bytes of an attribute; nothing when the file does not exist. Read with the system calls
// themselves: a read error is an answer here (EISDIR, EIO), not an exception from a stream.
std::optional<std::string> ReadAttribute(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw UnreadableAttribute{path, errno};
  }
  std::string bytes(kMaxAttributeBytes, '\0');
  std::size_t size = 0;
  int error = 0;
  while (size < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    size += static_cast<std::size_t>(got);
  }
  ::close(fd);
  if (error != 0) throw UnreadableAttribute{path, error};
  bytes.resize(size);
  return bytes;
}

std::string TextAttribute(const fs::path& path) {
  const std::optional<std::string> raw = ReadAttribute(path);
  return raw ? std::string(TextAttributeValue(*raw)) : std::string();
}

// The names in a directory; a directory that cannot be listed lists nothing. The iterator is
// advanced with an error code: its operator++ would throw.
std::vector<fs::path> EntriesOf(const fs::path& dir) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  return entries;
}

// The node a driver made for the device: a directory "<driver>/<node>" in current kernels, a
// link "<driver>:<node>" in old ones.
std::string NodeName(const fs::path& deviceDir, const std::string& driver) {
  std::error_code error;
  const fs::path classDir = deviceDir / driver;
  if (fs::is_directory(classDir, error)) {
    for (const fs::path& entry : EntriesOf(classDir)) return entry.filename().string();
  }
  for (const fs::path& entry : EntriesOf(deviceDir)) {
    if (auto node = NodeOfLinkName(entry.filename().string(), driver)) return *node;
  }
  return {};
}

void ReadIdentity(const fs::path& deviceDir, SysfsScsiDevice& device) {
  // The raw INQUIRY data, where the kernel offers it, keeps every byte; the text attributes
  // are the fallback of older kernels.
  const std::optional<std::string> inquiry = ReadAttribute(deviceDir / "inquiry");
  if (inquiry) {
    if (std::optional<InquiryIdentity> identity = IdentityFromInquiry(*inquiry)) {
      device.vendor = std::move(identity->vendor);
      device.product = std::move(identity->product);
      device.revision = std::move(identity->revision);
      return;
    }
  }
  device.vendor = TextAttribute(deviceDir / "vendor");
  device.product = TextAttribute(deviceDir / "model");
  device.revision = TextAttribute(deviceDir / "rev");
}

int PeripheralType(const fs::path& deviceDir) {
  const std::optional<std::string> raw = ReadAttribute(deviceDir / "type");
  return raw ? ParsePeripheralType(*raw) : -1;
}

}  // namespace

SysfsScsiDiscovery::SysfsScsiDiscovery(fs::path sysfsRoot, fs::path devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

SysfsScsiDiscovery::Scan SysfsScsiDiscovery::ScanDevices() const {
  Scan scan;
  for (const fs::path& entry : EntriesOf(sysfsRoot_ / "class" / "scsi_device")) {
    const std::string name = entry.filename().string();
    const std::optional<ScsiAddress> address = ParseScsiAddress(name);
    if (!address) continue;
    SysfsScsiDevice device;
    device.host = address->host;
    device.channel = address->channel;
    device.target = address->target;
    device.lun = address->lun;
    const fs::path deviceDir = entry / "device";
    try {
      device.peripheralType = PeripheralType(deviceDir);
      ReadIdentity(deviceDir, device);
    } catch (const UnreadableAttribute& fault) {
      scan.skipped.push_back(name + ": skipped, " + fault.path.string() +
                             " cannot be read: " + std::strerror(fault.error));
      continue;
    }
    const std::string sg = NodeName(deviceDir, "scsi_generic");
    if (!sg.empty()) device.sgNode = (devRoot_ / sg).string();
    const std::string block = NodeName(deviceDir, "block");
    if (!block.empty()) device.blockNode = (devRoot_ / block).string();
    scan.devices.push_back(std::move(device));
  }
  std::sort(scan.devices.begin(), scan.devices.end(),
            [](const SysfsScsiDevice& a, const SysfsScsiDevice& b) {
              return std::tie(a.host, a.channel, a.target, a.lun) <
                     std::tie(b.host, b.channel, b.target, b.lun);
            });
  std::sort(scan.skipped.begin(), scan.skipped.end());
  return scan;
}

}  // namespace korvel::platform::linux_host
