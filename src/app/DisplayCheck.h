// Whether the window system can be reached at all, asked before the Qt application is made: Qt
// ends the program with an abort when its platform cannot connect to a display.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvel::app {

// The line to print when the platform Qt would choose needs a display and there is none
// (DISPLAY and WAYLAND_DISPLAY unset or empty); nothing when the window can be tried. A platform
// named by -platform or QT_QPA_PLATFORM that needs no display (offscreen, minimal, vnc, ...) is
// left to Qt. `arguments` are the program's, Qt's options among them.
std::optional<std::string> MissingDisplay(const std::vector<std::string>& arguments);

}  // namespace korvel::app
