#include "transport/RegistryDeviceKey.h"

#include <cstring>

namespace korvel::transport {

namespace {

// INQUIRY, standard data, allocation length 56.
constexpr std::uint8_t kInquiryLength = 56;
constexpr std::size_t kVendorOffset = 8;
constexpr std::size_t kVendorLength = 8;
constexpr std::size_t kProductOffset = 16;
constexpr std::size_t kProductLength = 16;

}  // namespace

std::string DeviceKeyOf(const char* vendor, const char* product) {
  std::string key = std::string(vendor) + product;
  for (char& c : key) {
    if (c == ' ') c = '_';
  }
  return key;
}

std::optional<std::string> InquireDeviceKey(ScsiTransport& transport, std::uint8_t adapter,
                                            std::uint8_t target) {
  char vendor[kVendorLength + 1] = {};
  char product[kProductLength + 1] = {};
  char revision[5] = {};
  if (transport.state().PassThroughMode) {
    if ((transport.PassThroughInquiry(adapter, target, vendor, product, revision) & 1) == 0) {
      return std::nullopt;
    }
    return DeviceKeyOf(vendor, product);
  }
  const std::uint8_t cdb[6] = {0x12, 0x00, 0x00, 0x00, kInquiryLength, 0x00};
  std::uint8_t data[kInquiryLength] = {};
  if (transport.ExecuteCommand(adapter, target, cdb, data, kInquiryLength) != 1) {
    return std::nullopt;
  }
  std::memcpy(vendor, data + kVendorOffset, kVendorLength);
  std::memcpy(product, data + kProductOffset, kProductLength);
  return DeviceKeyOf(vendor, product);
}

}  // namespace korvel::transport
