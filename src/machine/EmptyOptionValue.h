// "--name=" with nothing after the sign. The parser would take the next argument as the value
// ("--log-commands= --simulate" writes a log called "--simulate"), so every program refuses it
// before parsing: a value given empty is a mistake, never the default.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvel::machine {

// The first such argument, or nothing.
std::string_view EmptyOptionValue(int argc, const char* const* argv);
std::string_view EmptyOptionValue(const std::vector<std::string>& arguments);

}  // namespace korvel::machine
