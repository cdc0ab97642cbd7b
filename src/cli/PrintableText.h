// Texts that come from a drive or a file, made safe for a terminal: a byte outside printable
// ASCII (control characters, escape sequences, bytes of other encodings) becomes \xNN, and a
// backslash becomes \\, so nothing a drive reports can move the cursor or pass for other output.
#pragma once

#include <string>
#include <string_view>

namespace korvel::cli {

std::string PrintableText(std::string_view text);

}  // namespace korvel::cli
