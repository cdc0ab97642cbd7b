// The standard INQUIRY data that the emulated devices return: 36 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvel::emulator::inquiry_layout {

inline constexpr std::size_t kPeripheral = 0;
inline constexpr std::size_t kRemovable = 1;  // bit 7: removable medium
inline constexpr std::size_t kVersion = 2;
inline constexpr std::size_t kResponseFormat = 3;
inline constexpr std::size_t kAdditionalLength = 4;
inline constexpr std::size_t kVendor = 8;
inline constexpr std::size_t kProduct = 16;
inline constexpr std::size_t kRevision = 32;
inline constexpr std::size_t kLength = 36;

inline constexpr std::uint8_t kRemovableBit = 0x80;
inline constexpr std::uint8_t kScsi2 = 0x02;

}  // namespace korvel::emulator::inquiry_layout
