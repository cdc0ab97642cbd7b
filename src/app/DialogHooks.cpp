#include "app/DialogHooks.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

namespace korvel::app {

QString QtNameFiltersOf(const char* filter) {
  const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
  QStringList labels;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;  // the empty pair that ends the list
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
    }
    // The caption stays as the program writes it ("All Files (*.*)"); the patterns Qt filters
    // by follow in a second pair of parentheses, which the dialog keeps out of sight. On
    // Windows "*.*" lists every file, names without a dot included: here that is "*".
    const QString label =
        parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    labels << label;
  }
  return labels.join(QStringLiteral(";;"));
}

void SetFileDialogFilters(QFileDialog& dialog, const char* filter) {
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilter(QtNameFiltersOf(filter));
}

QString CompletedFileName(const QString& typed, const QString& defaultExtension) {
  const QFileInfo asTyped(typed);
  if (asTyped.exists() || !asTyped.suffix().isEmpty() || defaultExtension.isEmpty()) return typed;
  for (const QString& extension : {defaultExtension.toLower(), defaultExtension.toUpper()}) {
    const QString candidate = typed + QLatin1Char('.') + extension;
    if (QFileInfo::exists(candidate)) return candidate;
  }
  return typed;
}

namespace {

void ShowCriticalBox(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox::critical(owner, caption, text, QMessageBox::Ok);
}

std::optional<std::string> ChooseWithFileDialog(QWidget* owner,
                                                const upgrade::OpenFileRequest& request) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Any typed name is accepted, existing or not: the check that follows reports a file that
  // cannot be opened, with the same message as a file of the wrong kind.
  dialog.setFileMode(QFileDialog::AnyFile);
  SetFileDialogFilters(dialog, request.filter);
  // No default suffix: the dialog would append it blindly, in one letter case only.
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  const QString file =
      CompletedFileName(chosen.front(), QString::fromLatin1(request.defaultExtension));
  return QFile::encodeName(file).toStdString();
}

}  // namespace

DialogHooks StandardDialogHooks() {
  return DialogHooks{ShowCriticalBox, ChooseWithFileDialog};
}

}  // namespace korvel::app
