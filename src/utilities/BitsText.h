// The bits of a byte as a text of "0" and "1" characters, for showing masks such as the auto-run
// setting.
#pragma once

#include <array>

namespace korvel::utilities {

using BitsText8Buffer = std::array<char, 9>;
using BitsText3Buffer = std::array<char, 4>;

// Bits 0 to 7 of `value`, the lowest first: 0x01 gives "10000000". Returns the text.
const char* BitsText8(unsigned value, BitsText8Buffer& text);
// Bits 2, 1 and 0 of `value`, the highest first: 0x04 gives "100". Returns the text.
const char* BitsText3(unsigned value, BitsText3Buffer& text);

}  // namespace korvel::utilities
