// The two places where the main window hands control to a modal box of the system: the fatal
// start-up message and the open-file dialog. Tests replace them; the program uses the Qt boxes.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "upgrade/UpgradeWindow.h"

class QFileDialog;

namespace korvel::app {

struct DialogHooks {
  // A critical message box owned by `owner`, with one OK button; returns when it is closed.
  std::function<void(QWidget* owner, const QString& text, const QString& caption)> showError;
  // The open-file dialog: the full path chosen, or nothing when the user cancelled.
  std::function<std::optional<std::string>(QWidget* owner, const upgrade::OpenFileRequest&)>
      chooseFile;
};

DialogHooks StandardDialogHooks();

// The Windows filter list "Name (*.x)|*.x|All Files (*.*)|*.*||" as the Qt file dialog takes it:
// "Name (*.x) (*.x);;All Files (*.*) (*)". Qt filters by the patterns in a label's last
// parentheses and, with the details hidden, shows the label without them, so the captions read
// as the program writes them. "*.*", which lists every file on Windows, becomes "*", since here
// it would hide the names without a dot.
QString QtNameFiltersOf(const char* filter);

// Gives the dialog those filters, showing their captions only.
void SetFileDialogFilters(QFileDialog& dialog, const char* filter);

// The file a name typed in the open-file dialog stands for: the name as typed when that file
// exists; for a name without an extension, then the name with ".bin" and with ".BIN"
// (`defaultExtension` in lower and upper case), as file systems here tell letter case apart;
// otherwise the name as typed, so that the check reports the file the user named.
QString CompletedFileName(const QString& typed, const QString& defaultExtension);

}  // namespace korvel::app
