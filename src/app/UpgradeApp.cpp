#include "app/UpgradeApp.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppIcon.h"
#include "app/AppOptions.h"
#include "app/DisplayCheck.h"
#include "app/ProgramContext.h"
#include "app/ScreenshotScript.h"
#include "app/UpgradeDialog.h"
#include "app/VersionRecord.h"
#include "machine/PrintableText.h"
#include "upgrade/UpgradeDialogModel.h"

namespace korvel::app {

namespace {

void ApplyVersionRecord(QApplication& application) {
  // The application name stays the program's file name, which Qt takes by itself.
  application.setApplicationVersion(QString::fromLatin1(kVersionRecord.fileVersion));
  application.setOrganizationName(QString::fromLatin1(kVersionRecord.companyName));
  application.setDesktopFileName(QString::fromLatin1(kVersionRecord.internalName));
}

std::vector<std::string> ArgumentsAfterProgramName(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

}  // namespace

int UpgradeApp::Run() {
  const ParsedOptions parsed =
      ParseAppOptions(ArgumentsAfterProgramName(argc_, argv_), std::getenv("KORVEL_DEBUG"));
  if (const int* exitStatus = std::get_if<int>(&parsed)) return *exitStatus;
  const AppOptions& options = std::get<AppOptions>(parsed);

  // The machine (the scenario, the command log) is made before the window system is opened: a
  // scenario that cannot be used is named even where no display exists.
  std::unique_ptr<ProgramContext> context;
  try {
    context = std::make_unique<ProgramContext>(options);
  } catch (const std::exception& error) {
    std::cerr << "korvel-upgrade: " << machine::PrintableText(error.what()) << '\n';
    return 2;
  }
  // Qt would abort without a display; one line says so instead.
  if (const std::optional<std::string> missing =
          MissingDisplay(ArgumentsAfterProgramName(argc_, argv_))) {
    std::cerr << *missing << '\n';
    return 2;
  }

  // Qt takes its own arguments (-platform, -style, ...) out of argc/argv here.
  QApplication application(argc_, argv_);
  ApplyVersionRecord(application);
  // One look on every desktop: the dialog is laid out in pixels of its own font, and the
  // Fusion style draws the sunken status line and the buttons the same everywhere.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(fusion);
  }
  QApplication::setWindowIcon(AppIcon());

  DialogHooks hooks = StandardDialogHooks();
  std::unique_ptr<ScreenshotScript> screenshots;
  if (!options.screenshotDir.empty()) {
    screenshots =
        std::make_unique<ScreenshotScript>(options.screenshotDir, options.screenshotImage);
    hooks.chooseFile = screenshots->FileChooser();
  }

  UpgradeDialog dialog(std::move(hooks));
  upgrade::UpgradeDialogModel model(context->transport(), context->session(), dialog,
                                    context->transportControl());
  model.SetFlashGuard(context->flashGuard());
  dialog.Bind(model);
  if (screenshots) screenshots->Start(dialog);
  // The window's result (Exit, Escape, Enter or the close request) does not change the status.
  dialog.exec();
  // The window has no place to say it, but a log that lost records must not pass for whole.
  if (const std::string failure = context->CommandLogFailure(); !failure.empty()) {
    std::cerr << "korvel-upgrade: " << machine::PrintableText(failure) << '\n';
    return 2;
  }
  if (screenshots && !screenshots->succeeded()) return 1;
  return 0;
}

}  // namespace korvel::app
