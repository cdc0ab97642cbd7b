#include "app/DialogHooks.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace korvel::app {

QString QtNameFiltersOf(const char* filter) {
  const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
  QStringList labels;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;  // the empty pair that ends the list
    labels << parts[i];
  }
  return labels.join(QStringLiteral(";;"));
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
  dialog.setNameFilter(QtNameFiltersOf(request.filter));
  dialog.setDefaultSuffix(QString::fromLatin1(request.defaultExtension));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen.front()).toStdString();
}

}  // namespace

DialogHooks StandardDialogHooks() {
  return DialogHooks{ShowCriticalBox, ChooseWithFileDialog};
}

}  // namespace korvel::app
