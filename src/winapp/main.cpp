// korvel-upgrade.exe: the firmware upgrade program as a native Windows dialog. The application
// shell: reads the command line, builds the machine (the real Windows PC, or a simulated one
// with --simulate), runs the main window modally once and ends with it.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/AppOptions.h"
#include "app/ProgramContext.h"
#include "machine/PrintableText.h"
#include "upgrade/UpgradeDialogModel.h"
#include "winapp/DialogTestHooks.h"
#include "winapp/ModelDialogLogic.h"
#include "winapp/NativeUpgradeDialog.h"
#include "winapp/ParentConsole.h"

namespace {

int RunProgram(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  const korvel::app::ParsedOptions parsed =
      korvel::app::ParseAppOptions(arguments, std::getenv("KORVEL_DEBUG"));
  if (const int* exitStatus = std::get_if<int>(&parsed)) return *exitStatus;
  const korvel::app::AppOptions& options = std::get<korvel::app::AppOptions>(parsed);
  if (!options.screenshotDir.empty()) {
    std::cerr << "korvel-upgrade: --screenshot-script belongs to the Qt program\n";
    return 2;
  }

  std::unique_ptr<korvel::app::ProgramContext> context;
  try {
    context = std::make_unique<korvel::app::ProgramContext>(options);
  } catch (const std::exception& error) {
    std::cerr << "korvel-upgrade: " << korvel::machine::PrintableText(error.what()) << '\n';
    return 2;
  }

  korvel::winapp::NativeUpgradeDialog dialog(korvel::winapp::DialogTestHooksFromEnvironment());
  korvel::upgrade::UpgradeDialogModel model(context->transport(), context->session(), dialog,
                                            context->transportControl());
  model.SetFlashGuard(context->flashGuard());
  korvel::winapp::ModelDialogLogic logic(model);
  dialog.Bind(logic);
  // The window's result (Exit, Escape, Enter or the close request) does not change the status;
  // a window that could not be made at all does.
  if (!dialog.Run()) {
    std::cerr << "korvel-upgrade: the main window could not be made\n";
    return 1;
  }
  if (const std::string failure = context->CommandLogFailure(); !failure.empty()) {
    std::cerr << "korvel-upgrade: " << korvel::machine::PrintableText(failure) << '\n';
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  korvel::winapp::UseParentConsole();
  return RunProgram(argc, argv);
}
