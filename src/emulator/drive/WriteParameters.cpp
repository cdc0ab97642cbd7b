#include "emulator/drive/WriteParameters.h"

#include "emulator/drive/ModePages.h"

namespace korvel::emulator {
namespace {

constexpr std::size_t kWriteTypeByte = 2;
constexpr std::uint8_t kWriteTypeMask = 0x0F;
constexpr std::uint8_t kLastWriteType = 3;  // 0 packet, 1 track-at-once, 2 session-at-once, 3 raw

constexpr std::size_t kDataBlockTypeByte = 4;
constexpr std::uint8_t kDataBlockTypeMask = 0x0F;

constexpr std::size_t kSessionFormatByte = 8;

// 0..3 raw sectors (without, with P-Q, with packed or raw P-W sub-channel), 8..13 mode 1 and the
// mode 2 forms; 4..7, 14 are reserved and 15 is vendor specific, which this drive has none of.
bool DataBlockTypeKnown(std::uint8_t type) {
  return type <= 3 || (type >= 8 && type <= 13);
}

bool SessionFormatKnown(std::uint8_t format) {
  return format == 0x00 || format == 0x10 || format == 0x20;
}

}  // namespace

bool WriteParametersAcceptable(std::uint8_t pageCode, std::span<const std::uint8_t> page) {
  if (pageCode != kWriteParametersPage) return true;
  if (page.size() <= kSessionFormatByte) return false;
  return (page[kWriteTypeByte] & kWriteTypeMask) <= kLastWriteType &&
         DataBlockTypeKnown(page[kDataBlockTypeByte] & kDataBlockTypeMask) &&
         SessionFormatKnown(page[kSessionFormatByte]);
}

}  // namespace korvel::emulator
