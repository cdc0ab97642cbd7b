// The pair of helpers through which every little-endian field of a Windows record (a version
// resource, a binary registry value) is read and written, whatever the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::platform {

// Writes the low `width` bytes of `value` least significant first at `out`.
constexpr void PutLittleEndian(std::uint8_t* out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Reads `width` bytes at `in` as an unsigned little-endian number.
constexpr std::uint64_t GetLittleEndian(const std::uint8_t* in, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = width; i > 0; --i) value = (value << 8) | in[i - 1];
  return value;
}

}  // namespace korvel::platform
