#include "utilities/DriveFacts.h"

#include <array>
#include <cstdio>

#include "drive/Commands.h"
#include "drive/CommandsVendor.h"
#include "drive/Identification.h"
#include "drive/ModeCompat.h"
#include "formats/BigEndian.h"

namespace korvel::utilities {
namespace {

using transport::DeviceAddress;
using transport::ScsiTransport;

constexpr std::size_t kSenseLength = 18;
constexpr std::uint32_t kDriveNumberLength = 128;
constexpr std::size_t kDriveNumberAt = 26;
constexpr std::size_t kDriveNumberDigits = 5;
constexpr std::uint8_t kCapabilitiesPage = 0x2A;
constexpr std::uint8_t kCapabilitiesLength = 34;
constexpr std::size_t kMaxWriteSpeedAt = 30;      // page byte 18 behind header and descriptor
constexpr std::size_t kCurrentWriteSpeedAt = 32;  // page byte 20

std::uint16_t CapabilitiesField(ScsiTransport& transport, DeviceAddress address,
                                std::size_t offset) {
  // Cleared first for both fields: a failed read shows zero rather than whatever memory held.
  std::array<std::uint8_t, kCapabilitiesLength> page{};
  drive::ModeSenseCompat(transport, address.adapter, address.target, kCapabilitiesPage,
                         kCapabilitiesLength, page.data());
  return static_cast<std::uint16_t>(formats::GetBigEndian(&page[offset], 2));
}

}  // namespace

std::int32_t SenseCode(ScsiTransport& transport, DeviceAddress address) {
  std::array<std::uint8_t, kSenseLength> sense{};
  if (drive::RequestSense(transport, address.adapter, address.target, sense.data()) != 1) return 0;
  return (sense[2] << 16) | (sense[12] << 8) | sense[13];
}

std::string SenseCodeText(std::int32_t value) {
  switch (value) {
    case 0x020401:
      return "  Reading table of contents";
    case 0x023A00:
    case 0x023A01:
    case 0x023A02:
      return "  No disc inserted";
    default:
      return "  No additional information";
  }
}

bool DriveNumberText(ScsiTransport& transport, DeviceAddress address, std::string& text) {
  std::array<std::uint8_t, kDriveNumberLength> memory{};
  if (drive::VendorReadF1(transport, address.adapter, address.target, 0, kDriveNumberLength,
                          memory.data()) != 1) {
    return false;
  }
  long value = 0;
  for (std::size_t i = 0; i < kDriveNumberDigits; ++i) {
    const std::uint8_t c = memory[kDriveNumberAt + i];
    // No check of the digits: a letter beyond "f" counts on past 15, as the drive's own tools
    // read it.
    const long digit = (c >= '0' && c <= '9')
                           ? c - '0'
                           : static_cast<long>((c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c) - 87;
    value = value * 16 + digit;
  }
  char formatted[32];
  std::snprintf(formatted, sizeof formatted, "%06ld", value);
  text = formatted;
  return true;
}

std::uint8_t VendorStatusByte(ScsiTransport& transport, DeviceAddress address,
                              std::int32_t* status) {
  std::array<std::uint8_t, 2> answer{};
  const std::int32_t sent =
      drive::VendorStatusDe(transport, address.adapter, address.target, answer.data());
  if (status != nullptr) *status = sent;
  const std::uint8_t b = answer[0];
  const drive::DriveType type = drive::DriveTypeOf(transport, address.adapter, address.target);
  if (type != 10 && type != 11) return b;
  return static_cast<std::uint8_t>((b & 0x87) | ((b & 0x40) >> 3) | ((b & 0x38) << 1));
}

std::uint16_t MaxWriteSpeedRaw(ScsiTransport& transport, DeviceAddress address) {
  return CapabilitiesField(transport, address, kMaxWriteSpeedAt);
}

std::uint16_t CurrentWriteSpeedRaw(ScsiTransport& transport, DeviceAddress address) {
  return CapabilitiesField(transport, address, kCurrentWriteSpeedAt);
}

}  // namespace korvel::utilities
