#include "drive/ModeCompat.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "drive/Identification.h"
#include "formats/ScsiOpcodes.h"

namespace korvel::drive {
namespace {

using transport::ScsiTransport;

// The 6-byte mode parameter header as callers see it.
namespace header6 {
constexpr std::size_t kModeDataLength = 0;
constexpr std::size_t kMediumType = 1;
constexpr std::size_t kDeviceSpecific = 2;
constexpr std::size_t kBlockDescriptorLength = 3;
constexpr std::size_t kBlockDescriptor = 4;
constexpr std::size_t kSize = 4;
constexpr std::uint8_t kOneBlockDescriptor = 8;
}  // namespace header6

// The 10-byte mode parameter header as a DriveType 18 drive uses it.
namespace header10 {
constexpr std::size_t kModeDataLengthLow = 1;
constexpr std::size_t kMediumType = 2;
constexpr std::size_t kSize = 8;
}  // namespace header10

// The 10-byte answer's bytes from offset 4 on land from output offset 8 on: the rest of its
// header in 8..11 and the page from 12, where a MODE SENSE(6) answer with one block descriptor
// has it.
constexpr std::size_t kAnswerShift = 4;
constexpr std::size_t kConvertedSize = kModeWorkAreaSize + kAnswerShift;

// A 6-byte list of a header and one block descriptor only.
constexpr std::uint8_t kListWithoutPage = 12;

std::array<std::uint8_t, kConvertedSize> ConvertModeSense10(
    const std::array<std::uint8_t, kModeWorkAreaSize>& work) {
  std::array<std::uint8_t, kConvertedSize> out{};
  // The low byte of the 10-byte length, plus the 4 descriptor bytes the conversion inserts.
  out[header6::kModeDataLength] = static_cast<std::uint8_t>(work[header10::kModeDataLengthLow] + 4);
  out[header6::kMediumType] = 0;
  out[header6::kDeviceSpecific] = work[header10::kMediumType];
  out[header6::kBlockDescriptorLength] = header6::kOneBlockDescriptor;
  std::copy(work.begin() + kAnswerShift, work.end(),
            out.begin() + header6::kBlockDescriptor + kAnswerShift);
  return out;
}

std::int32_t ModeSense10Converted(ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint8_t pageCode,
                                  std::uint8_t allocationLength, std::uint8_t* buffer) {
  // Zeroed so that a short or failed answer converts to zeros, never to stale stack bytes.
  std::array<std::uint8_t, kModeWorkAreaSize> work{};
  const std::uint32_t asked = std::min<std::uint32_t>(allocationLength, kModeWorkAreaSize);
  const std::int32_t status = Cdb(formats::opcode::kModeSense10)
                                  .Byte(2, pageCode)
                                  .BigEndian(7, asked, 2)
                                  .Send(transport, adapter, target, work.data(), asked);
  const std::array<std::uint8_t, kConvertedSize> converted = ConvertModeSense10(work);
  const std::size_t delivered = std::min<std::size_t>(allocationLength, converted.size());
  if (delivered > 0) std::memcpy(buffer, converted.data(), delivered);
  return status;
}

std::int32_t ModeSelect10Converted(ScsiTransport& transport, std::uint8_t adapter,
                                   std::uint8_t target, std::uint8_t parameterListLength,
                                   const std::uint8_t* buffer) {
  const std::size_t n = parameterListLength;
  if (n < header6::kSize) return kStatusRefused;
  // The page follows the block descriptors: its code at b + 4, its length at b + 5.
  const std::size_t b = buffer[header6::kBlockDescriptorLength];
  const std::size_t pageStart = header6::kSize + b;
  if (pageStart + 1 >= n) return kStatusRefused;
  const std::size_t p = buffer[pageStart + 1];
  const std::size_t pageBytes = p + 2;  // page code, page length and the page
  if (pageStart + pageBytes > n) return kStatusRefused;
  const std::size_t listLength = header10::kSize + pageBytes;
  if (listLength > kModeWorkAreaSize) return kStatusRefused;

  std::array<std::uint8_t, kModeWorkAreaSize> list{};
  list[header10::kModeDataLengthLow] = static_cast<std::uint8_t>(pageBytes);
  std::memcpy(list.data() + header10::kSize, buffer + pageStart, pageBytes);
  return Cdb(formats::opcode::kModeSelect10)
      .BigEndian(7, static_cast<std::uint32_t>(listLength), 2)
      .Send(transport, adapter, target, list.data(), listLength);
}

}  // namespace

std::int32_t ModeSenseCompat(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                             std::uint8_t pageCode, std::uint8_t allocationLength,
                             std::uint8_t* buffer) {
  if (DriveTypeOf(transport, adapter, target) == kTenByteModeDriveType) {
    return ModeSense10Converted(transport, adapter, target, pageCode, allocationLength, buffer);
  }
  return Cdb(formats::opcode::kModeSense6)
      .Byte(2, pageCode)
      .Byte(4, allocationLength)
      .Send(transport, adapter, target, buffer, allocationLength);
}

std::int32_t ModeSelectCompat(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                              std::uint8_t parameterListLength, std::uint8_t* buffer) {
  if (DriveTypeOf(transport, adapter, target) == kTenByteModeDriveType) {
    if (parameterListLength == kListWithoutPage) return kStatusModeSelectNothingToSend;
    return ModeSelect10Converted(transport, adapter, target, parameterListLength, buffer);
  }
  return Cdb(formats::opcode::kModeSelect6)
      .Byte(4, parameterListLength)
      .Send(transport, adapter, target, buffer, parameterListLength);
}

}  // namespace korvel::drive
