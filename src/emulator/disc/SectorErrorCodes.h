// The error codes of a raw data sector (ECMA-130): the EDC, a 32-bit CRC, and the P and Q parity
// of the Reed-Solomon product code, written as a recorder writes them.
#pragma once

#include <cstdint>
#include <span>

#include "emulator/disc/DiscSectors.h"

namespace korvel::emulator {

// The sector's sync, header and user data are in place and the 8 bytes after the EDC are zero.
void PutMode1ErrorCodes(std::span<std::uint8_t, kRawSectorSize> sector);
// The sector's sync, header, subheader and user data of form 1 are in place. The ECC is computed
// with the header taken as zeros, so that it holds wherever the sector is copied to.
void PutMode2Form1ErrorCodes(std::span<std::uint8_t, kRawSectorSize> sector);

}  // namespace korvel::emulator
