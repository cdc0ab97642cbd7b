// Text from outside the program (a drive's INQUIRY fields, file names, scenario texts, paths of
// this machine) made safe to print: valid UTF-8 passes, anything else is shown, never obeyed or
// rejected.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace korvel::cli {

// Control characters and bytes that are not UTF-8 become \xNN, so that a terminal shows them
// instead of acting on them; printable text (UTF-8 included) stays as it is.
std::string PrintableText(std::string_view text);

// The JSON document as text; strings that are not UTF-8 get U+FFFD where the bad bytes were
// instead of aborting the program.
std::string SafeJson(const nlohmann::ordered_json& document, int indent = 2);

}  // namespace korvel::cli
