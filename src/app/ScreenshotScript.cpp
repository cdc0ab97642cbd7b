#include "app/ScreenshotScript.h"

#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <iostream>

#include "app/DialogTemplates.h"
#include "app/UpgradeDialog.h"
#include "upgrade/StatusTexts.h"

namespace korvel::app {

namespace {
// Long enough for the window manager to map the window and for its first paint.
constexpr int kSettleMs = 500;
}  // namespace

ScreenshotScript::ScreenshotScript(std::string directory, std::string imagePath)
    : directory_(std::move(directory)), imagePath_(std::move(imagePath)) {}

decltype(DialogHooks::chooseFile) ScreenshotScript::FileChooser() const {
  return [path = imagePath_](QWidget*, const upgrade::OpenFileRequest&) {
    return std::optional<std::string>(path);
  };
}

void ScreenshotScript::Start(UpgradeDialog& dialog) {
  QTimer::singleShot(kSettleMs, &dialog, [this, &dialog] { TakePictures(dialog); });
}

bool ScreenshotScript::Save(UpgradeDialog& dialog, const char* name) {
  const QString path = QDir(QString::fromLocal8Bit(directory_)).filePath(QString::fromLatin1(name));
  if (dialog.grab().save(path, "PNG")) return true;
  std::cerr << "korvel-upgrade: cannot write " << path.toStdString() << '\n';
  return false;
}

void ScreenshotScript::TakePictures(UpgradeDialog& dialog) {
  bool written = Save(dialog, "korvel-upgrade-drive-selected.png");
  dialog.button(upgrade::kLoadFileButton)->click();
  dialog.button(upgrade::kUpgradeButton)->click();
  written = Save(dialog, "korvel-upgrade-after-upgrade.png") && written;
  const QString status = dialog.field(kStatusLine)->text();
  if (status != QString::fromLatin1(upgrade::kUpgradeSucceededText)) {
    std::cerr << "korvel-upgrade: the upgrade ended with \"" << status.toStdString() << "\"\n";
  }
  succeeded_ = written && status == QString::fromLatin1(upgrade::kUpgradeSucceededText);
  dialog.button(kIdCancel)->click();
}

}  // namespace korvel::app
