#include "app/AppOptions.h"

#include <CLI/CLI.hpp>

#include "ProgramVersion.h"
#include "machine/EmptyOptionValue.h"
#include "machine/PrintableText.h"

#include <algorithm>
#include <iostream>
#include <span>
#include <sstream>
#include <string_view>

namespace korvel::app {

namespace {

// Qt's own options, which the application object takes out of the command line itself: those
// that take a value, and those that stand alone. Qt accepts them with one dash or two.
constexpr std::string_view kQtValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "name",   "qmljsdebugger"};
constexpr std::string_view kQtFlagOptions[] = {"reverse", "widgetcount", "nograb",
                                               "dograb",  "sync",        "testability"};

// The option's name without its dashes and any "=value"; empty for an argument that is none.
std::string_view QtOptionName(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return {};
  argument.remove_prefix(argument[1] == '-' ? 2 : 1);
  return argument.substr(0, argument.find('='));
}

bool IsIn(std::string_view name, std::span<const std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::vector<std::string> WithoutQtOptions(const std::vector<std::string>& arguments) {
  std::vector<std::string> ours;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view name = QtOptionName(arguments[i]);
    if (IsIn(name, kQtFlagOptions)) continue;
    if (IsIn(name, kQtValueOptions)) {
      // "-style fusion" takes the next argument; "-style=fusion" carries its value.
      if (arguments[i].find('=') == std::string::npos) ++i;
      continue;
    }
    ours.push_back(arguments[i]);
  }
  return ours;
}

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
  auto* logCommands =
      parser
          .add_option("--log-commands", options.commandLogPath,
                      "Write every SCSI command sent, one JSON object a line, to FILE")
          ->type_name("FILE");
  parser.add_flag("--ignore-power", options.ignorePower,
                  "Flash even when the computer runs on a nearly empty battery");
  parser.add_flag("--debug-trace", options.debugTrace,
                  "Print the debugger channel (the \"Korveltype\" trace) on standard error; "
                  "KORVEL_DEBUG=1 does the same");
  parser.set_version_flag("--version", std::string("korvel-upgrade ") + kProgramVersionText,
                          "Print the program's version and exit");
  // Test hooks: the documentation pictures are taken through the real program.
  parser.add_option("--screenshot-script", options.screenshotDir)->group("");
  parser.add_option("--screenshot-image", options.screenshotImage)->group("");

  // CLI11 takes the arguments last first; Qt's options are Qt's to read.
  const std::vector<std::string> ours = WithoutQtOptions(arguments);
  if (const std::string_view empty = machine::EmptyOptionValue(ours);
      !empty.empty() && empty != "--simulate=") {
    std::cerr << machine::PrintableText(empty) << " gives an empty value\n";
    return 2;
  }
  std::vector<std::string> reversed(ours.rbegin(), ours.rend());
  try {
    parser.parse(reversed);
  } catch (const CLI::ParseError& error) {
    // Help ends with 0; any other parse failure is bad usage. The parser's messages quote the
    // arguments it refused, which may hold anything.
    std::ostringstream message;
    const int code = parser.exit(error, std::cout, message);
    std::cerr << machine::PrintableLines(message.str());
    return code == 0 ? 0 : 2;
  }
  options.simulate = simulate->count() > 0;
  // Given but empty is bad usage, never the default: "--simulate=" names no scenario and
  // "--log-commands ''" no file.
  if (std::find(ours.begin(), ours.end(), "--simulate=") != ours.end()) {
    std::cerr << "--simulate= needs a scenario file; --simulate alone runs the built-in PC\n";
    return 2;
  }
  if (logCommands->count() > 0 && options.commandLogPath.empty()) {
    std::cerr << "--log-commands needs a file name\n";
    return 2;
  }
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
