// Reading blocks by drive model: a DriveType 18 drive reads raw and odd-sized blocks with
// READ CD, every other drive (and every 2048-byte read) with READ(6). Asks DriveTypeOf afresh
// (one INQUIRY) before its command.
#pragma once

#include <cstdint>

#include "drive/CommandLayout.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive {

// READ CD byte 9 for 2352-byte blocks: sync, all headers, user data and error fields.
inline constexpr std::uint8_t kReadCdWholeSector = 0xF8;
// READ CD byte 9 for any other size on DriveType 18: user data only, 2048 bytes a block.
inline constexpr std::uint8_t kReadCdUserData = 0x10;

// DriveType 18: blockSize 2352 moves count x 2352 bytes; a size other than 2048 and 2352
// moves count x 2048. Otherwise READ(6) moving count x blockSize.
std::int32_t ReadBlocksCompat(transport::ScsiTransport& transport, std::uint8_t adapter,
                              std::uint8_t target, std::uint32_t blockAddress,
                              std::uint8_t blockCount, std::uint32_t blockSize,
                              std::uint8_t* buffer);

}  // namespace korvel::drive
