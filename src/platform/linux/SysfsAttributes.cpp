#include "platform/linux/SysfsAttributes.h"

#include <charconv>
#include <iterator>

namespace korvel::platform::linux_host {

namespace {

// Standard INQUIRY data: where the identity fields lie.
constexpr std::size_t kVendorOffset = 8;
constexpr std::size_t kProductOffset = 16;
constexpr std::size_t kRevisionOffset = 32;
constexpr std::size_t kIdentityEnd = 36;
// The peripheral device type is the low 5 bits of INQUIRY byte 0.
constexpr int kLastPeripheralType = 31;

}  // namespace

std::optional<ScsiAddress> ParseScsiAddress(std::string_view name) {
  ScsiAddress address;
  int* fields[] = {&address.host, &address.channel, &address.target, &address.lun};
  const char* at = name.data();
  const char* end = name.data() + name.size();
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    auto [next, error] = std::from_chars(at, end, *fields[i]);
    if (error != std::errc() || *fields[i] < 0) return std::nullopt;
    at = next;
    if (i + 1 < std::size(fields)) {
      if (at == end || *at != ':') return std::nullopt;
      ++at;
    }
  }
  if (at != end) return std::nullopt;
  return address;
}

std::string_view TextAttributeValue(std::string_view raw) {
  if (!raw.empty() && raw.back() == '\n') raw.remove_suffix(1);
  return raw;
}

int ParsePeripheralType(std::string_view raw) {
  const std::string_view text = TextAttributeValue(raw);
  int type = -1;
  auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), type);
  if (error != std::errc() || next != text.data() + text.size()) return -1;
  return type >= 0 && type <= kLastPeripheralType ? type : -1;
}

std::optional<InquiryIdentity> IdentityFromInquiry(std::string_view data) {
  if (data.size() < kIdentityEnd) return std::nullopt;
  InquiryIdentity identity;
  identity.vendor = data.substr(kVendorOffset, kProductOffset - kVendorOffset);
  identity.product = data.substr(kProductOffset, kRevisionOffset - kProductOffset);
  identity.revision = data.substr(kRevisionOffset, kIdentityEnd - kRevisionOffset);
  return identity;
}

std::optional<std::string> NodeOfLinkName(std::string_view name, std::string_view driver) {
  if (name.size() <= driver.size() + 1 || name.substr(0, driver.size()) != driver ||
      name[driver.size()] != ':') {
    return std::nullopt;
  }
  return std::string(name.substr(driver.size() + 1));
}

}  // namespace korvel::platform::linux_host
