// Text from outside the program (a drive's INQUIRY fields, file names, scenario texts, paths of
// this machine) made safe for a terminal, for both programs: printable UTF-8 passes, the rest is
// shown, never obeyed or rejected.
#pragma once

#include <string>
#include <string_view>

namespace korvel::machine {

// Control characters (C1 and DEL included), the bidirectional marks, embeddings, overrides and
// isolates (U+061C, U+200E, U+200F, U+202A..U+202E, U+2066..U+2069) and bytes that are not UTF-8
// become \xNN, byte by byte, so that a terminal shows them instead of acting on them; printable
// text (UTF-8 included) stays as it is.
std::string PrintableText(std::string_view text);

// As PrintableText, line by line: the line feeds stay, for messages of several lines.
std::string PrintableLines(std::string_view text);

// A JSON text as a serializer wrote it (C0 controls already escaped in its strings) with DEL,
// the C1 controls and the bidirectional characters above written \u007f, \u0080..\u009f,
// \u202e and so on, and any byte that is not UTF-8 as U+FFFD.
std::string PrintableJson(std::string_view json);

}  // namespace korvel::machine
