// Fixed-format sense data, the one layout in which the emulated devices report what they
// reject, and the sense codes they use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "emulator/ScsiTarget.h"
#include "formats/SenseLayout.h"

namespace korvel::emulator {

struct SenseCode {
  std::uint8_t key = 0;
  std::uint8_t asc = 0;
  std::uint8_t ascq = 0;
  friend bool operator==(const SenseCode&, const SenseCode&) = default;
};

namespace sense_layout = formats::sense_layout;

constexpr SenseData MakeSenseData(SenseCode code) {
  SenseData data{};
  data[sense_layout::kResponseCode] = sense_layout::kCurrentFixed;
  data[sense_layout::kSenseKey] = code.key;
  data[sense_layout::kAdditionalLength] =
      static_cast<std::uint8_t>(data.size() - (sense_layout::kAdditionalLength + 1));
  data[sense_layout::kAsc] = code.asc;
  data[sense_layout::kAscq] = code.ascq;
  return data;
}

constexpr SenseCode SenseCodeOf(const SenseData& data) {
  return {static_cast<std::uint8_t>(data[sense_layout::kSenseKey] & 0x0F), data[sense_layout::kAsc],
          data[sense_layout::kAscq]};
}

namespace sense {
inline constexpr SenseCode kNoSense{0x00, 0x00, 0x00};
inline constexpr SenseCode kBecomingReady{0x02, 0x04, 0x01};
inline constexpr SenseCode kMediumNotPresent{0x02, 0x3A, 0x00};
inline constexpr SenseCode kMediumNotPresentTrayClosed{0x02, 0x3A, 0x01};
inline constexpr SenseCode kMediumNotPresentTrayOpen{0x02, 0x3A, 0x02};
inline constexpr SenseCode kParameterListLengthError{0x05, 0x1A, 0x00};
inline constexpr SenseCode kInvalidOpcode{0x05, 0x20, 0x00};
inline constexpr SenseCode kLbaOutOfRange{0x05, 0x21, 0x00};
inline constexpr SenseCode kInvalidFieldInCdb{0x05, 0x24, 0x00};
inline constexpr SenseCode kInvalidFieldInParameterList{0x05, 0x26, 0x00};
inline constexpr SenseCode kMediumRemovalPrevented{0x05, 0x53, 0x02};
inline constexpr SenseCode kIllegalModeForThisTrack{0x05, 0x64, 0x00};
inline constexpr SenseCode kMediumMayHaveChanged{0x06, 0x28, 0x00};
inline constexpr SenseCode kPowerOnReset{0x06, 0x29, 0x00};
inline constexpr SenseCode kDataPhaseError{0x0B, 0x4B, 0x00};
}  // namespace sense

}  // namespace korvel::emulator
