// Raw 2352-byte CD sectors as a recorder writes them, for the sample disc images: sync, header,
// (for mode 2 form 1) subheader, 2048 bytes of user data, and the real EDC and ECC of ECMA-130.
#pragma once

#include <cstdint>
#include <span>

namespace korvel::tools {

enum class RawSectorMode { Mode1, Mode2Form1 };

// `lba` is the sector's address on the disc (block 0 is 00:02:00).
void BuildRawSector(RawSectorMode mode, std::uint32_t lba,
                    std::span<const std::uint8_t, 2048> userData,
                    std::span<std::uint8_t, 2352> out);

}  // namespace korvel::tools
