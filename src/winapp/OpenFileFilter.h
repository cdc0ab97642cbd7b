// The open-file dialog's filter in the two spellings it has: the one the dialog's logic gives
// ("Upgrade Files (*.bin)|*.bin|...||", bars between the parts) and the one GetOpenFileNameA
// reads (the same parts, each ended by a NUL, the whole ended by one more NUL).
#pragma once

#include <string>
#include <string_view>

namespace korvel::winapp {

// Every '|' becomes a NUL; a filter without the closing "||" still gets its two final NULs, so
// that the dialog never reads past the end of the text.
std::string NulSeparatedFilter(std::string_view barSeparated);

}  // namespace korvel::winapp
