// The values a Korvel CD-R drive takes in its write parameters page (0x05): the write types and
// data block types of the recorders of its day, and the session formats of a CD.
#pragma once

#include <cstdint>
#include <span>

namespace korvel::emulator {

// Whether the drive takes `page` (a whole page 0x05 as MODE SELECT sends it): write type packet,
// track-at-once, session-at-once or raw; a data block type that is not reserved; session format
// CD-DA/CD-ROM, CD-I or CD-ROM XA. Pages of other codes are always taken here.
bool WriteParametersAcceptable(std::uint8_t pageCode, std::span<const std::uint8_t> page);

}  // namespace korvel::emulator
