#include "cli/CheckCommand.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/UpgradeCommandWindow.h"

namespace korvel::cli {

std::string CheckCommand::description() const {
  return "Check an upgrade file against a drive, as Load File does";
}

void CheckCommand::Configure(CLI::App& subcommand) {
  subcommand.add_option("FILE", file_, "The upgrade file (.bin)")->required();
  // The global options (--drive, --json) may follow the command too.
  subcommand.fallthrough();
}

int CheckCommand::Run(CliContext& context) {
  upgrade::UpgradeSession session;
  UpgradeCommandWindow window(context, FullPathOf(file_));
  upgrade::UpgradeDialogModel model(context.transport(), session, window,
                                    TransportControlOf(context));
  if (std::optional<int> stop = OpenDialogAndLoad(context, model, window)) return *stop;

  const bool valid = window.IsEnabled(upgrade::kUpgradeButton);
  if (context.options().json) {
    nlohmann::ordered_json result;
    result["drive"] = AddressText(session);
    result["file"] = file_;
    result["status"] = model.statusText();
    result["valid"] = valid;
    context.out() << result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  } else {
    context.out() << model.statusText() << '\n';
  }
  if (!valid) ExplainRefusal(context, model, window);
  return valid ? kExitSuccess : kExitFailed;
}

}  // namespace korvel::cli
