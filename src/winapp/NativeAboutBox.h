// The About box, dialog template 100: the icon, the program's name and version, the copyright
// line and OK. Its own template does all the work; OK, Escape and the close box end it.
#pragma once

#include <windows.h>

#include <string>

namespace korvel::winapp {

// Runs the box modally, owned by `owner`, until the user closes it. With a non-empty
// `controlRectsPath` it appends its layout to that file instead and ends at once.
void RunAboutBox(HINSTANCE instance, HWND owner, const std::string& controlRectsPath);

}  // namespace korvel::winapp
