// The one pair of helpers through which every big-endian field of a CDB, a record or a file
// is read and written.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::formats {

// Writes the low `width` bytes of `value` most significant first at `out`.
constexpr void PutBigEndian(std::uint8_t* out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    out[width - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// Reads `width` bytes at `in` as an unsigned big-endian number.
constexpr std::uint64_t GetBigEndian(const std::uint8_t* in, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = (value << 8) | in[i];
  return value;
}

}  // namespace korvel::formats
