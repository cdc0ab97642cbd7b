// Reading one whole 2352-byte sector on any model: the block length is switched to 2352 with a
// mode parameter list, the block read, and the drive's own list put back.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::utilities {

inline constexpr std::size_t kModeListLength = 12;
using ModeParameterList = std::array<std::uint8_t, kModeListLength>;
// A 4-byte header and one 8-byte block descriptor: block length 2352, and 2048.
inline constexpr ModeParameterList kRawModeList = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30};
inline constexpr ModeParameterList kDefaultModeList = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x08, 0x00};

inline constexpr std::size_t kRawSectorLength = 2352;
namespace raw_sector_layout {
inline constexpr std::size_t kMode = 15;
}  // namespace raw_sector_layout

// Reads block `blockAddress` whole into `sector` (at least 2352 bytes): MODE SENSE of page 0 into
// a saved list (the default list when the drive gives none), MODE SELECT of the raw list, the
// read, MODE SELECT of the saved list. The status of the read.
std::int32_t ReadRawSector(transport::ScsiTransport& transport, transport::DeviceAddress address,
                           std::uint32_t blockAddress, std::span<std::uint8_t> sector);

// The mode byte of block `blockAddress` read whole, or -1 when the read failed.
int SectorMode(transport::ScsiTransport& transport, transport::DeviceAddress address,
               std::uint32_t blockAddress);

}  // namespace korvel::utilities
