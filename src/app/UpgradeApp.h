// The application object: reads the command line, then makes the Qt application, runs the main
// window modally once and lets the program end with it.
#pragma once

namespace korvel::app {

class UpgradeApp {
 public:
  UpgradeApp(int& argc, char** argv) : argc_(argc), argv_(argv) {}

  // Reads the options, builds the machine and runs the main window until it ends. The exit
  // status: 0 after the window has run, whatever its result; 2 for bad usage or a machine that
  // cannot be set up (a scenario file with faults, an unwritable command log). The options are
  // read before the Qt application exists, so that --help and bad usage need no display.
  int Run();

 private:
  int& argc_;
  char** argv_;
};

}  // namespace korvel::app
