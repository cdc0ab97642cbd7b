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
// Write parameters page: the write type with test write (byte 2), multi-session, FP, copy and
// track mode (3), the data block type (4), the host application code (7), the session
// format (8), and from byte 10 on packet size, audio pause, catalog number, ISRC and subheader.
// BUFE and LS_V stay 0: the drive has no buffer under-run protection and takes no link size.
constexpr std::uint8_t kWriteTypeAndTestWrite = 0x1F;
constexpr std::uint8_t kDataBlockType = 0x0F;
constexpr std::uint8_t kHostApplicationCode = 0x3F;
constexpr std::size_t kWriteTypeByte = 2;
constexpr std::size_t kTrackModeByte = 3;
constexpr std::size_t kDataBlockTypeByte = 4;
constexpr std::size_t kHostApplicationCodeByte = 7;
constexpr std::size_t kSessionFormatByte = 8;
constexpr std::size_t kPacketSizeByte = 10;
// Vendor speed page: the setting.
constexpr std::size_t kVendorSpeedSettingByte = 2;

void Allow(std::vector<std::uint8_t>& mask, std::size_t offset, std::uint8_t bits = 0xFF) {
  if (offset < mask.size()) mask[offset] = bits;
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
    case kWriteParametersPage:
      Allow(mask, kWriteTypeByte, kWriteTypeAndTestWrite);
      Allow(mask, kTrackModeByte);
      Allow(mask, kDataBlockTypeByte, kDataBlockType);
      Allow(mask, kHostApplicationCodeByte, kHostApplicationCode);
      Allow(mask, kSessionFormatByte);
      if (mask.size() > kPacketSizeByte)
        std::fill(mask.begin() + kPacketSizeByte, mask.end(), 0xFF);
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
