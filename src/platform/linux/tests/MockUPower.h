// The mock power daemon of run_with_mock_bus.py's bus (started with --services upower), as a
// test sets it up: its display device and its on-battery flag.
#pragma once

#include "platform/linux/tests/MockBus.h"

namespace korvel::platform::linux_host::testing {

class MockUPower {
 public:
  static constexpr const char* kService = "org.freedesktop.UPower";
  static constexpr const char* kPath = "/org/freedesktop/UPower";

  // The daemon's Device types and states.
  enum : uint32_t { kLinePower = 1, kBattery = 2 };
  enum : uint32_t { kCharging = 1, kDischarging = 2, kFullyCharged = 4, kPendingDischarge = 6 };

  void SetDisplayDevice(uint32_t type, uint32_t state, double percentage, bool present) {
    bus_.Call(kService, kPath, "org.freedesktop.DBus.Mock", "SetupDisplayDevice",
              [&](sd_bus_message* call) {
                return sd_bus_message_append(call, "uuddddxxbsu", type, state, percentage, 0.0, 0.0,
                                             0.0, int64_t{0}, int64_t{0}, int{present}, "",
                                             uint32_t{1});
              });
  }

  void SetOnBattery(bool onBattery) {
    bus_.Call(kService, kPath, "org.freedesktop.DBus.Properties", "Set", [&](sd_bus_message* call) {
      return sd_bus_message_append(call, "ssv", "org.freedesktop.UPower", "OnBattery", "b",
                                   int{onBattery});
    });
  }

 private:
  MockBus bus_;
};

}  // namespace korvel::platform::linux_host::testing
