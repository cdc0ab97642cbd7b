// The command line of korvel-upgrade. The dialog itself takes no argument; the options choose
// the machine it runs on and switch on the records that users and tests read.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace korvel::app {

struct AppOptions {
  // --simulate[=SCENARIO]: a simulated PC, from the scenario file or the built-in one.
  bool simulate = false;
  std::string scenarioPath;  // empty: the built-in scenario
  // --log-commands FILE: one JSON line for every SCSI command.
  std::string commandLogPath;
  // --debug-trace, or KORVEL_DEBUG=1 in the environment: the debugger channel on stderr.
  bool debugTrace = false;
  // --ignore-power: flash even on a nearly empty battery.
  bool ignorePower = false;
  // Hidden: --screenshot-script DIR takes the two documentation pictures into DIR, loading
  // --screenshot-image FILE and pressing Upgrade on the way, then ends the program.
  std::string screenshotDir;
  std::string screenshotImage;
};

// What the command line asked for: options to run with, or an exit status when it was only a
// request for help or a usage error (the message is already printed).
using ParsedOptions = std::variant<AppOptions, int>;

// The arguments without Qt's own options (-platform, -style, ...), which the application object
// reads for itself.
std::vector<std::string> WithoutQtOptions(const std::vector<std::string>& arguments);

// `arguments` without the program name (Qt's options may be among them); `debugEnvironment` is the
// value of KORVEL_DEBUG.
ParsedOptions ParseAppOptions(const std::vector<std::string>& arguments,
                              const char* debugEnvironment);

}  // namespace korvel::app
