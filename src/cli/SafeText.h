// Text from outside the program (a drive's INQUIRY fields, file names, scenario texts, paths of
// this machine) made safe to print: valid UTF-8 passes, anything else is shown, never obeyed or
// rejected.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "machine/PrintableText.h"

namespace korvel::cli {

using machine::PrintableLines;
using machine::PrintableText;

// The JSON document as text; strings that are not UTF-8 get U+FFFD where the bad bytes were
// instead of aborting the program, and the characters PrintableText shows escaped are \uXXXX
// escapes (a JSON reader gets them back, a terminal showing the output does not act on them).
std::string SafeJson(const nlohmann::ordered_json& document, int indent = 2);

}  // namespace korvel::cli
