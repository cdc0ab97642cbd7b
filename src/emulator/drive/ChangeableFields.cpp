#include "emulator/drive/ChangeableFields.h"

#include <algorithm>

#include "emulator/drive/ModePages.h"

namespace korvel::emulator {
namespace {

namespace layout = mode_layout;

constexpr std::size_t kFirstParameter = 2;

// Error recovery page bytes: the recovery flags, the read retry count, and the speed code byte.
constexpr std::size_t kRecoveryFlags = 2;
constexpr std::size_t kReadRetryCount = 3;
constexpr std::size_t kRecoverySpeedCode = 5;
// Vendor speed page: the setting.
constexpr std::size_t kVendorSpeedSettingByte = 2;

void Allow(std::vector<std::uint8_t>& mask, std::size_t offset) {
  if (offset < mask.size()) mask[offset] = 0xFF;
}

}  // namespace

std::vector<std::uint8_t> ChangeableMask(std::span<const std::uint8_t> page) {
  std::vector<std::uint8_t> mask(page.size(), 0x00);
  if (page.size() < kFirstParameter) return mask;
  mask[layout::kPageCode] = page[layout::kPageCode];
  mask[layout::kPageLength] = page[layout::kPageLength];
  switch (page[layout::kPageCode] & layout::kPageCodeMask) {
    case kErrorRecoveryPage:
      Allow(mask, kRecoveryFlags);
      Allow(mask, kReadRetryCount);
      Allow(mask, kRecoverySpeedCode);
      break;
    case kVendorSpeedPage:
      Allow(mask, kVendorSpeedSettingByte);
      break;
    case kCapabilitiesPage:
      break;
    default:
      std::fill(mask.begin() + kFirstParameter, mask.end(), 0xFF);
      break;
  }
  return mask;
}

bool ChangesOnlyChangeableBits(std::span<const std::uint8_t> held,
                               std::span<const std::uint8_t> sent,
                               std::span<const std::uint8_t> mask) {
  if (held.size() != sent.size() || held.size() != mask.size()) return false;
  for (std::size_t i = kFirstParameter; i < held.size(); ++i) {
    if (((held[i] ^ sent[i]) & ~mask[i]) != 0) return false;
  }
  return true;
}

}  // namespace korvel::emulator
