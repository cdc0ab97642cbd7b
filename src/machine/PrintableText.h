// Text from outside the program (a drive's INQUIRY fields, file names, scenario texts, paths of
// this machine) made safe for a terminal, for both programs: valid UTF-8 passes, anything else is
// shown, never obeyed or rejected.
#pragma once

#include <string>
#include <string_view>

namespace korvel::machine {

// Control characters (C1 included) and bytes that are not UTF-8 become \xNN, so that a terminal
// shows them instead of acting on them; printable text (UTF-8 included) stays as it is.
std::string PrintableText(std::string_view text);

}  // namespace korvel::machine
