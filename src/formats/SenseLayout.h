// Where the fields of fixed-format sense data lie: what a drive returns for REQUEST SENSE or with
// CHECK CONDITION, and what the host keeps, reports and shows of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::formats::sense_layout {

inline constexpr std::size_t kResponseCode = 0;
// The sense key in the low four bits, flag bits above.
inline constexpr std::size_t kSenseKey = 2;
inline constexpr std::size_t kAdditionalLength = 7;
inline constexpr std::size_t kAsc = 12;
inline constexpr std::size_t kAscq = 13;
// Response code of current errors in the fixed format.
inline constexpr std::uint8_t kCurrentFixed = 0x70;

}  // namespace korvel::formats::sense_layout
