#include "cli/Korvelfw.h"

#include <CLI/CLI.hpp>

#include "ProgramVersion.h"
#include "cli/CliContext.h"
#include "cli/ExitCodes.h"

namespace korvel::cli {

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

  CliCommand* chosen = nullptr;
  for (const std::unique_ptr<CliCommand>& command : commands) {
    CLI::App* sub = app.add_subcommand(command->name(), command->description());
    command->Configure(*sub);
    sub->callback([&chosen, &command] { chosen = command.get(); });
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error, out, err);
    return code == 0 ? kExitSuccess : kExitBadUsage;
  }
  options.simulate = simulate->count() > 0;
  if (chosen == nullptr) return kExitBadUsage;

  std::unique_ptr<CliContext> context;
  try {
    context = CliContext::Make(options, out, err);
  } catch (const UsageError& error) {
    err << "korvelfw: " << error.what() << '\n';
    return kExitBadUsage;
  }
  return chosen->Run(*context);
}

}  // namespace korvel::cli
