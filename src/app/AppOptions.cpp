#include "app/AppOptions.h"

#include <CLI/CLI.hpp>

#include "ProgramVersion.h"

#include <algorithm>
#include <iostream>
#include <string_view>

namespace korvel::app {

ParsedOptions ParseAppOptions(const std::vector<std::string>& arguments,
                              const char* debugEnvironment) {
  AppOptions options;
  CLI::App parser{"Korvel Firmware Upgrade Program  V1.05", "korvel-upgrade"};
  auto* simulate =
      parser
          .add_option("--simulate", options.scenarioPath,
                      "Run on a simulated PC with emulated drives; SCENARIO is a scenario file "
                      "(the built-in PC when none is named)")
          ->expected(0, 1)
          ->type_name("[=SCENARIO]");
  parser
      .add_option("--log-commands", options.commandLogPath,
                  "Write every SCSI command sent, one JSON object a line, to FILE")
      ->type_name("FILE");
  parser.add_flag("--debug-trace", options.debugTrace,
                  "Print the debugger channel (the \"Korveltype\" trace) on standard error; "
                  "KORVEL_DEBUG=1 does the same");
  parser.set_version_flag("--version", std::string("korvel-upgrade ") + kProgramVersionText,
                          "Print the program's version and exit");
  // Test hooks: the documentation pictures are taken through the real program.
  parser.add_option("--screenshot-script", options.screenshotDir)->group("");
  parser.add_option("--screenshot-image", options.screenshotImage)->group("");

  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    parser.parse(reversed);
  } catch (const CLI::ParseError& error) {
    // Help ends with 0; any other parse failure is bad usage.
    return parser.exit(error, std::cout, std::cerr) == 0 ? 0 : 2;
  }
  options.simulate = simulate->count() > 0;
  if (debugEnvironment != nullptr && std::string_view(debugEnvironment) == "1") {
    options.debugTrace = true;
  }
  if (!options.screenshotDir.empty() && !options.simulate) {
    std::cerr << "--screenshot-script needs --simulate\n";
    return 2;
  }
  return options;
}

}  // namespace korvel::app
