// Two small text routines of the disc routines: a frame count as minutes, seconds and frames,
// and a drive string with its padding blanks taken off.
#pragma once

#include <cstdint>
#include <string>

namespace korvel::drive {

// "MM:SS:FF" of a frame count (75 frames a second, 4500 a minute). A negative count is taken
// modulo 100 minutes, as addresses before the start of a disc count back from 99:59:74, so
// -75 gives "99:59:00". Counts from -450000 to 449999 give 8 characters; larger ones more
// minute digits, never a cut or an overrun.
std::string FramesToText(std::int32_t frames);

// Removes the blanks at the end of `text`, but never its first character: three blanks become
// one. Returns `text`.
std::string& TrimTrailingBlanks(std::string& text);

}  // namespace korvel::drive
