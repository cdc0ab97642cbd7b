#include "machine/EmptyOptionValue.h"

namespace korvel::machine {

namespace {

bool IsEmptyOptionValue(std::string_view argument) {
  return argument.size() > 3 && argument.starts_with("--") && argument.ends_with('=');
}

}  // namespace

std::string_view EmptyOptionValue(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (IsEmptyOptionValue(argv[i])) return argv[i];
  }
  return {};
}

std::string_view EmptyOptionValue(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (IsEmptyOptionValue(argument)) return argument;
  }
  return {};
}

}  // namespace korvel::machine
