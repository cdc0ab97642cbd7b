#include "platform/linux/PowerSupplyClass.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/linux/SysfsAttributes.h"

namespace korvel::platform::linux_host {

namespace fs = std::filesystem;

namespace {

// The power supply attributes are a number or a word; anything longer is not one of them.
constexpr std::size_t kMaxValueBytes = 256;
constexpr int kFullPercent = 100;

// An attribute's text without its newline; nothing when it is missing, unreadable or too long.
std::optional<std::string> ReadValue(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::string bytes(kMaxValueBytes + 1, '\0');
  std::size_t size = 0;
  bool failed = false;
  while (size < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + size, bytes.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failed = true;
    if (got <= 0) break;
    size += static_cast<std::size_t>(got);
  }
  ::close(fd);
  if (failed || size > kMaxValueBytes) return std::nullopt;
  bytes.resize(size);
  return std::string(TextAttributeValue(bytes));
}

std::optional<std::uint64_t> ReadCount(const fs::path& path) {
  const std::optional<std::string> text = ReadValue(path);
  if (!text || text->empty()) return std::nullopt;
  std::uint64_t value = 0;
  auto [next, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || next != text->data() + text->size()) return std::nullopt;
  return value;
}

std::optional<int> ReadCapacity(const fs::path& path) {
  const std::optional<std::uint64_t> value = ReadCount(path);
  if (!value || *value > kFullPercent) return std::nullopt;
  return static_cast<int>(*value);
}

struct Amount {
  std::uint64_t now = 0;
  std::uint64_t full = 0;
};

// What is left and what the battery holds when full, in one unit (µWh or µAh).
std::optional<Amount> ReadAmount(const fs::path& supply, const char* now, const char* full) {
  const std::optional<std::uint64_t> left = ReadCount(supply / now);
  const std::optional<std::uint64_t> whole = ReadCount(supply / full);
  if (!left || !whole || *whole == 0) return std::nullopt;
  return Amount{*left, *whole};
}

struct SystemBattery {
  std::string status;
  std::optional<int> capacity;
  std::optional<Amount> energy;
  std::optional<Amount> charge;
};

// Whole per cent, rounded down, so that a charge just under a limit stays under it.
std::optional<int> PercentOfSums(const std::vector<SystemBattery>& batteries,
                                 std::optional<Amount> SystemBattery::*amount) {
  Amount sum;
  for (const SystemBattery& battery : batteries) {
    const std::optional<Amount>& part = battery.*amount;
    if (!part) return std::nullopt;
    if (__builtin_add_overflow(sum.now, part->now, &sum.now) ||
        __builtin_add_overflow(sum.full, part->full, &sum.full)) {
      return std::nullopt;
    }
  }
  const long double fraction = static_cast<long double>(sum.now) / sum.full;
  return static_cast<int>(std::min<long double>(fraction * kFullPercent, kFullPercent));
}

int ChargeLeft(const std::vector<SystemBattery>& batteries) {
  if (batteries.size() == 1) {
    if (batteries[0].capacity) return *batteries[0].capacity;
    if (auto percent = PercentOfSums(batteries, &SystemBattery::energy)) return *percent;
    return PercentOfSums(batteries, &SystemBattery::charge).value_or(-1);
  }
  if (auto percent = PercentOfSums(batteries, &SystemBattery::energy)) return *percent;
  if (auto percent = PercentOfSums(batteries, &SystemBattery::charge)) return *percent;
  int sum = 0;
  for (const SystemBattery& battery : batteries) {
    if (!battery.capacity) return -1;
    sum += *battery.capacity;
  }
  return sum / static_cast<int>(batteries.size());
}

bool IsExternalSupply(std::string_view type) {
  return type == "Mains" || type.substr(0, 3) == "USB";
}

// Statuses a battery reports only while the machine is on external power.
bool IsExternallyPowered(std::string_view status) {
  return status == "Charging" || status == "Full" || status == "Not charging";
}

}  // namespace

PowerReading ReadPowerSupplyClass(const fs::path& dir) {
  bool externalOnline = false;
  std::vector<SystemBattery> batteries;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    const fs::path supply = it->path();
    std::error_code kindError;
    if (!fs::is_directory(supply, kindError)) continue;
    const std::string type = ReadValue(supply / "type").value_or("");
    if (IsExternalSupply(type)) {
      externalOnline = externalOnline || ReadValue(supply / "online") == "1";
    } else if (type == "Battery" && ReadValue(supply / "scope") != "Device") {
      batteries.push_back({ReadValue(supply / "status").value_or(""),
                           ReadCapacity(supply / "capacity"),
                           ReadAmount(supply, "energy_now", "energy_full"),
                           ReadAmount(supply, "charge_now", "charge_full")});
    }
  }

  PowerReading reading;
  const auto discharging = [](const SystemBattery& b) { return b.status == "Discharging"; };
  const auto powered = [](const SystemBattery& b) { return IsExternallyPowered(b.status); };
  if (externalOnline || (!std::any_of(batteries.begin(), batteries.end(), discharging) &&
                         std::any_of(batteries.begin(), batteries.end(), powered))) {
    reading.source = PowerReading::Source::Mains;
  } else if (std::any_of(batteries.begin(), batteries.end(), discharging)) {
    reading.source = PowerReading::Source::Battery;
    reading.percent = ChargeLeft(batteries);
  } else {
    return reading;
  }
  reading.origin = dir.string();
  return reading;
}

}  // namespace korvel::platform::linux_host
