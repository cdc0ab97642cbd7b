#include "cli/Korvelfw.h"

#include <CLI/CLI.hpp>
#include <sstream>
#include <string_view>

#include "ProgramVersion.h"
#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
#include "machine/EmptyOptionValue.h"

namespace korvel::cli {

namespace {

// The options every command takes, for the end of "COMMAND --help": CLI11 lists only the
// command's own options there, though the global ones may follow the command.
std::string GlobalOptionsHelp(const CLI::App& app) {
  std::string text = "Global options (before or after the command):\n";
  for (const CLI::Option* option : app.get_options()) {
    if (option == app.get_help_ptr()) continue;
    std::string name = option->get_name();
    const std::string type = option->get_type_name();
    if (!type.empty()) name += (type.front() == '[' ? "" : " ") + type;
    text += "  " + name;
    text += std::string(name.size() < 26 ? 26 - name.size() : 1, ' ');
    text += option->get_description() + '\n';
  }
  return text;
}

// The word that stands where the command belongs but names none ("korvelfw frob"), when the parse
// failed for want of a command; empty otherwise.
std::string UnknownCommand(const CLI::App& app) {
  if (!app.get_subcommands().empty()) return {};
  for (const std::string& argument : app.remaining()) {
    if (!argument.starts_with('-')) return argument;
  }
  return {};
}

std::string CommandNames(const std::vector<std::unique_ptr<CliCommand>>& commands) {
  std::string names;
  for (const std::unique_ptr<CliCommand>& command : commands) {
    names += (names.empty() ? "" : ", ") + command->name();
  }
  return names;
}

}  // namespace

int RunKorvelfw(int argc, const char* const* argv,
                const std::vector<std::unique_ptr<CliCommand>>& commands, std::ostream& out,
                std::ostream& err) {
  CLI::App app{
      "Korvel firmware upgrade utility: find Korvel CD-R/CD-ROM drives, check upgrade "
      "files and flash them.",
      "korvelfw"};
  GlobalOptions options;
  CLI::Option* simulate =
      app.add_option("--simulate", options.scenarioFile,
                     "Run on a simulated PC: the built-in one, or =SCENARIO for a scenario file")
          ->expected(0, 1)
          ->type_name("[=SCENARIO]");
  app.add_option("--log-commands", options.commandLogFile,
                 "Write every SCSI command sent to FILE, one JSON object a line")
      ->type_name("FILE");
  app.add_flag("--json", options.json, "Machine-readable output");
  app.add_option("--drive", options.drive, "The drive to work on, host adapter:target")
      ->type_name("H:T");
  app.set_version_flag("--version", std::string("korvelfw ") + kProgramVersionText,
                       "Print the program's version and exit");
  app.require_subcommand(1);
  // Global options may follow the command too: "korvelfw scan --json".
  app.fallthrough();

  const std::string globalHelp = GlobalOptionsHelp(app);
  CliCommand* chosen = nullptr;
  for (const std::unique_ptr<CliCommand>& command : commands) {
    CLI::App* sub = app.add_subcommand(command->name(), command->description());
    command->Configure(*sub);
    sub->footer(globalHelp);
    sub->callback([&chosen, &command] { chosen = command.get(); });
  }

  if (const std::string_view empty = machine::EmptyOptionValue(argc, argv); !empty.empty()) {
    // "--simulate=" names no scenario; it is not the built-in PC.
    if (empty == "--simulate=") {
      err << "korvelfw: --simulate= needs a scenario file; --simulate alone runs the built-in "
             "PC\n";
    } else {
      err << "korvelfw: " << PrintableText(empty) << " gives an empty value\n";
    }
    return kExitBadUsage;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (const std::string word = UnknownCommand(app); !word.empty()) {
      err << "korvelfw: unknown command \"" << PrintableText(word) << "\"; the commands are "
          << CommandNames(commands) << '\n';
      return kExitBadUsage;
    }
    // The parser's messages quote the arguments it refused, which may hold anything.
    std::ostringstream message;
    const int code = app.exit(error, out, message);
    err << PrintableLines(message.str());
    return code == 0 ? kExitSuccess : kExitBadUsage;
  }
  options.simulate = simulate->count() > 0;
  if (chosen == nullptr) return kExitBadUsage;

  std::unique_ptr<CliContext> context;
  try {
    context = CliContext::Make(options, chosen->InputFiles(), out, err);
  } catch (const UsageError& error) {
    err << "korvelfw: " << PrintableText(error.what()) << '\n';
    return kExitBadUsage;
  }
  int code = chosen->Run(*context);
  // A log that lost records must not pass for a complete one.
  if (const std::string failure = context->CommandLogFailure(); !failure.empty()) {
    err << "korvelfw: " << failure << '\n';
    if (code == kExitSuccess) code = kExitBadUsage;
  }
  return code;
}

}  // namespace korvel::cli
