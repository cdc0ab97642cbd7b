// What a test or the screenshot script asks of the native dialog program, read from the
// environment so that the program's own command line stays that of korvel-upgrade:
//   KORVEL_CONTROL_RECTS=FILE  write the rectangles of every control of both dialogs, as the
//                              running windows have them, to FILE and end the program;
//   KORVEL_OPEN_ABOUT=1        open the About box as soon as the main window is up.
#pragma once

#include <string>

namespace korvel::winapp {

struct DialogTestHooks {
  std::string controlRectsPath;  // empty: no report
  bool openAboutAtStart = false;
};

DialogTestHooks DialogTestHooksFromEnvironment();

}  // namespace korvel::winapp
