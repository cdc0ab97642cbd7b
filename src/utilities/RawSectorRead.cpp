#include "utilities/RawSectorRead.h"

#include <algorithm>
#include <vector>

#include "drive/ModeCompat.h"
#include "drive/ReadBlocksCompat.h"

namespace korvel::utilities {
namespace {

constexpr std::size_t kSectorArea = 3000;

}  // namespace

std::int32_t ReadRawSector(transport::ScsiTransport& transport, transport::DeviceAddress address,
                           std::uint32_t blockAddress, std::span<std::uint8_t> sector) {
  if (sector.size() < kRawSectorLength) return 0;
  ModeParameterList saved = kDefaultModeList;
  ModeParameterList raw = kRawModeList;
  drive::ModeSenseCompat(transport, address.adapter, address.target, 0, kModeListLength,
                         saved.data());
  drive::ModeSelectCompat(transport, address.adapter, address.target, kModeListLength, raw.data());
  const std::int32_t status = drive::ReadBlocksCompat(
      transport, address.adapter, address.target, blockAddress, 1, kRawSectorLength, sector.data());
  drive::ModeSelectCompat(transport, address.adapter, address.target, kModeListLength,
                          saved.data());
  return status;
}

int SectorMode(transport::ScsiTransport& transport, transport::DeviceAddress address,
               std::uint32_t blockAddress) {
  std::vector<std::uint8_t> sector(kSectorArea, 0xFF);
  if (ReadRawSector(transport, address, blockAddress, sector) != 1) return -1;
  return sector[raw_sector_layout::kMode];
}

}  // namespace korvel::utilities
