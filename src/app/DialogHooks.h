// The two places where the main window hands control to a modal box of the system: the fatal
// start-up message and the open-file dialog. Tests replace them; the program uses the Qt boxes.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "upgrade/UpgradeWindow.h"

namespace korvel::app {

struct DialogHooks {
  // A critical message box owned by `owner`, with one OK button; returns when it is closed.
  std::function<void(QWidget* owner, const QString& text, const QString& caption)> showError;
  // The open-file dialog: the full path chosen, or nothing when the user cancelled.
  std::function<std::optional<std::string>(QWidget* owner, const upgrade::OpenFileRequest&)>
      chooseFile;
};

DialogHooks StandardDialogHooks();

// "Name (*.x)|*.x|Other (*.*)|*.*||" (pairs of label and pattern, ended by an empty pair) as
// the Qt file dialog takes it: "Name (*.x);;Other (*.*)". The labels already name their
// patterns, so the patterns themselves are dropped.
QString QtNameFiltersOf(const char* filter);

}  // namespace korvel::app
