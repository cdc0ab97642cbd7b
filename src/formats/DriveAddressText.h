// A drive's address as the programs write it, "H:T": host adapter 0..7 and target 0..15 in
// decimal. One reader for the command line and the scenario files alike.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace korvel::formats {

inline constexpr unsigned kAddressAdapters = 8;
inline constexpr unsigned kAddressTargets = 16;

// (adapter, target), or nothing for anything but "H:T" in range.
inline std::optional<std::pair<std::uint8_t, std::uint8_t>> ParseDriveAddressText(
    std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto number = [](std::string_view digits, unsigned& value) {
    const char* end = digits.data() + digits.size();
    const auto [at, error] = std::from_chars(digits.data(), end, value);
    return !digits.empty() && error == std::errc() && at == end;
  };
  unsigned adapter = 0, target = 0;
  if (!number(text.substr(0, colon), adapter) || !number(text.substr(colon + 1), target) ||
      adapter >= kAddressAdapters || target >= kAddressTargets) {
    return std::nullopt;
  }
  return std::pair{static_cast<std::uint8_t>(adapter), static_cast<std::uint8_t>(target)};
}

}  // namespace korvel::formats
