#include "cli/CheckCommand.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/SafeText.h"
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
  // An empty name is no file at all: say so, rather than blame the drive or the file's format.
  if (file_.empty()) {
    context.err() << "korvelfw: the upgrade file path is empty\n";
    return kExitBadUsage;
  }
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
    context.out() << SafeJson(result) << '\n';
  } else {
    context.out() << PrintableText(model.statusText()) << '\n';
  }
  if (!valid) ExplainRefusal(context, model, window);
  return valid ? kExitSuccess : kExitFailed;
}

}  // namespace korvel::cli
