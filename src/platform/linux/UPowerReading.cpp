#include "platform/linux/UPowerReading.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string_view>

namespace korvel::platform::linux_host {

namespace {

constexpr const char* kService = "org.freedesktop.UPower";
constexpr const char* kDaemonPath = "/org/freedesktop/UPower";
constexpr const char* kDaemonInterface = "org.freedesktop.UPower";
constexpr const char* kDisplayPath = "/org/freedesktop/UPower/devices/DisplayDevice";
constexpr const char* kDeviceInterface = "org.freedesktop.UPower.Device";
constexpr std::uint64_t kCallTimeoutMicroseconds = 5'000'000;

// The daemon's Device.Type and Device.State values.
constexpr std::uint32_t kTypeBattery = 2;
constexpr std::uint32_t kStateCharging = 1;
constexpr std::uint32_t kStateDischarging = 2;
constexpr std::uint32_t kStateFullyCharged = 4;
constexpr std::uint32_t kStatePendingCharge = 5;
constexpr std::uint32_t kStatePendingDischarge = 6;

struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// The daemon's properties, asked one by one. After one call that got no answer at all (no such
// service, no reply) nothing more is asked: a daemon that is not there must not cost a time-out
// for each property.
class Properties {
 public:
  explicit Properties(sd_bus* bus) : bus_(bus) {}

  bool reachable() const { return reachable_; }

  // A property of `type` ('u', 'd', 'b'); nothing when it cannot be read or has another type.
  template <typename Value>
  std::optional<Value> Get(const char* path, const char* interface, const char* name, char type) {
    if (!reachable_) return std::nullopt;
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus_, &call, kService, path,
                                       "org.freedesktop.DBus.Properties", "Get") < 0) {
      return std::nullopt;
    }
    const Message owned(call);
    if (sd_bus_message_append(call, "ss", interface, name) < 0) return std::nullopt;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call(bus_, call, kCallTimeoutMicroseconds, &error, &reply);
    const Message ownedReply(reply);
    if (result < 0) {
      reachable_ = !Unreachable(error, result);
      sd_bus_error_free(&error);
      return std::nullopt;
    }
    const char contents[] = {type, '\0'};
    if (sd_bus_message_enter_container(reply, 'v', contents) <= 0) return std::nullopt;
    Value value{};
    if (sd_bus_message_read_basic(reply, type, &value) <= 0) return std::nullopt;
    return value;
  }

 private:
  // The service is not there, or did not answer; an error of its own (an unknown property) is
  // an answer.
  static bool Unreachable(const sd_bus_error& error, int result) {
    static constexpr std::string_view kActivationFailed = "org.freedesktop.DBus.Error.Spawn.";
    if (!sd_bus_error_is_set(&error) || result == -ETIMEDOUT) return true;
    const std::string_view name = error.name;
    return name == SD_BUS_ERROR_SERVICE_UNKNOWN || name == SD_BUS_ERROR_NAME_HAS_NO_OWNER ||
           name == SD_BUS_ERROR_NO_REPLY || name == SD_BUS_ERROR_TIMEOUT ||
           name.substr(0, kActivationFailed.size()) == kActivationFailed;
  }

  sd_bus* bus_;
  bool reachable_ = true;
};

// Whole per cent, rounded down, so that a charge just under a limit stays under it.
int Percent(std::optional<double> percentage) {
  if (!percentage || !std::isfinite(*percentage) || *percentage < 0 || *percentage > 100) {
    return -1;
  }
  return static_cast<int>(std::floor(*percentage));
}

}  // namespace

std::optional<PowerReading> ReadUPower(const SystemBus& bus) {
  if (!bus) return std::nullopt;
  Properties daemon(bus.get());
  const std::optional<std::uint32_t> type =
      daemon.Get<std::uint32_t>(kDisplayPath, kDeviceInterface, "Type", 'u');
  // sd-bus reads a boolean as an int.
  const std::optional<int> present =
      daemon.Get<int>(kDisplayPath, kDeviceInterface, "IsPresent", 'b');
  const bool battery = type == kTypeBattery && present.value_or(0) != 0;
  std::optional<std::uint32_t> state;
  std::optional<double> percentage;
  if (battery) {
    state = daemon.Get<std::uint32_t>(kDisplayPath, kDeviceInterface, "State", 'u');
    percentage = daemon.Get<double>(kDisplayPath, kDeviceInterface, "Percentage", 'd');
  }
  const std::optional<int> onBattery =
      daemon.Get<int>(kDaemonPath, kDaemonInterface, "OnBattery", 'b');
  if (!daemon.reachable()) return std::nullopt;

  const bool discharging = state == kStateDischarging || state == kStatePendingDischarge;
  const bool charged =
      state == kStateCharging || state == kStateFullyCharged || state == kStatePendingCharge;
  PowerReading reading;
  reading.origin = "UPower";
  if (onBattery.value_or(0) != 0 || discharging) {
    reading.source = PowerReading::Source::Battery;
    reading.percent = battery ? Percent(percentage) : -1;
  } else if (onBattery || charged) {
    reading.source = PowerReading::Source::Mains;
  } else {
    return std::nullopt;
  }
  return reading;
}

}  // namespace korvel::platform::linux_host
