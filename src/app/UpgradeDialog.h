// The main window: the drive box, the host adapter, target ID and firmware version of the
// selected drive, the status line and the Load File, Upgrade and Exit buttons, laid out to the
// main window template. It shows what the dialog's logic (UpgradeDialogModel) tells it through
// UpgradeWindow and hands every user action to that logic; it decides nothing itself.
#pragma once

#include <QDialog>

#include <array>
#include <optional>
#include <string>

#include "app/DialogHooks.h"
#include "upgrade/UpgradeDialogModel.h"
#include "upgrade/UpgradeWindow.h"

class QAction;
class QComboBox;
class QLabel;
class QPushButton;

namespace korvel::app {

class UpgradeDialog : public QDialog, public upgrade::UpgradeWindow {
  Q_OBJECT

 public:
  explicit UpgradeDialog(DialogHooks hooks = StandardDialogHooks());
  ~UpgradeDialog() override;

  // The logic behind the window; set once, before Initialise.
  void Bind(upgrade::UpgradeDialogModel& model);

  // The initialisation: starts the transport and scans for drives (through the logic), then
  // gives the focus to "E&xit". Runs once; exec() runs it when it has not run yet.
  void Initialise();
  // Initialises if needed and runs the window modally; returns at once, with Rejected, when the
  // initialisation already ended the window (no transport).
  int exec() override;

  // The system-menu command router: ids 16 to 31 open the About box; the window has no other
  // system command of its own.
  void OnSysCommand(int commandId);

  // True once the window has ended through the close request (close box, Alt+F4, failed
  // start-up), the only way that releases the transport.
  bool endedByCloseRequest() const { return endedByCloseRequest_; }

  QComboBox* driveCombo() const { return driveCombo_; }
  QPushButton* button(int id) const;
  QLabel* field(int id) const;
  QAction* aboutAction() const { return aboutAction_; }

  // UpgradeWindow
  void RefreshControls(const std::string& hostAdapterText, const std::string& targetIdText,
                       const std::string& firmwareVersionText,
                       const std::string& statusText) override;
  void EnableControl(int id, bool enabled) override;
  void AddDriveItem(const std::string& text) override;
  void SelectDriveItem(int index) override;
  std::optional<std::string> AskForUpgradeFile(const upgrade::OpenFileRequest& request) override;
  void ShowError(const std::string& text, const std::string& caption) override;
  void RequestClose() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void ConnectActions();

  DialogHooks hooks_;
  upgrade::UpgradeDialogModel* model_ = nullptr;
  bool initialised_ = false;
  bool endedByCloseRequest_ = false;

  QPushButton* exitButton_ = nullptr;
  QPushButton* loadFileButton_ = nullptr;
  QPushButton* upgradeButton_ = nullptr;
  QComboBox* driveCombo_ = nullptr;
  QLabel* hostAdapterField_ = nullptr;
  QLabel* targetIdField_ = nullptr;
  QLabel* firmwareVersionField_ = nullptr;
  QLabel* statusLine_ = nullptr;
  QAction* aboutAction_ = nullptr;
};

}  // namespace korvel::app
