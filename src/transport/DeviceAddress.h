// A drive's address on the host: host adapter number and target ID (logical unit always 0),
// and the slot that the per-address tables keep for it.
#pragma once

#include <cstdint>
#include <optional>

namespace korvel::transport {

struct DeviceAddress {
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  friend bool operator==(const DeviceAddress&, const DeviceAddress&) = default;
};

// Per-address tables cover adapters 0..7 and targets 0..15.
inline constexpr int kAddressSlots = 128;
inline constexpr int kMaxAdapters = 8;
inline constexpr int kTargetsPerAdapter = 16;

// adapter x 16 + target, or nothing for an address the tables do not cover.
inline std::optional<int> SlotOf(std::uint8_t adapter, std::uint8_t target) {
  if (adapter >= kMaxAdapters || target >= kTargetsPerAdapter) return std::nullopt;
  return adapter * kTargetsPerAdapter + target;
}

}  // namespace korvel::transport
