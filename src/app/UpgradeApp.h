// The application object: owns the Qt application, runs the main window modally once and lets
// the program end with it.
#pragma once

#include <QApplication>

namespace korvel::app {

class UpgradeApp {
 public:
  // Qt takes its own arguments (-platform, -style, ...) out of argc/argv here.
  UpgradeApp(int& argc, char** argv);

  // Reads the options, builds the machine and runs the main window until it ends. The exit
  // status: 0 after the window has run, whatever its result; 2 for bad usage or a machine that
  // cannot be set up (a scenario file with faults, an unwritable command log).
  int Run();

 private:
  QApplication application_;
  int argc_;
  char** argv_;
};

}  // namespace korvel::app
