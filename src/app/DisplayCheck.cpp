#include "app/DisplayCheck.h"

#include <cstdlib>
#include <string_view>

namespace korvel::app {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// The platform asked for, first by -platform, then by QT_QPA_PLATFORM; empty: Qt's default.
std::string ChosenPlatform(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == "-platform" || arguments[i] == "--platform") return arguments[i + 1];
  }
  const char* variable = std::getenv("QT_QPA_PLATFORM");
  return variable == nullptr ? std::string() : std::string(variable);
}

bool NeedsDisplay(std::string_view platform) {
  // Qt's default on a desktop Unix is the X11 or Wayland plugin; a list ("wayland;xcb") is tried
  // in order, and each of those needs a display server too.
  return platform.empty() || platform.starts_with("xcb") || platform.starts_with("wayland");
}

}  // namespace

std::optional<std::string> MissingDisplay(const std::vector<std::string>& arguments) {
#if defined(__linux__) || defined(__FreeBSD__)
  if (!NeedsDisplay(ChosenPlatform(arguments)) || Set("DISPLAY") || Set("WAYLAND_DISPLAY")) {
    return std::nullopt;
  }
  return "korvel-upgrade: no display (DISPLAY and WAYLAND_DISPLAY are unset); run it in a "
         "desktop session, or use korvelfw";
#else
  (void)arguments;
  return std::nullopt;
#endif
}

}  // namespace korvel::app
