#include "app/UpgradeDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/AboutDialog.h"
#include "app/AppIcon.h"
#include "app/BusyInputGate.h"
#include "app/DialogFont.h"
#include "app/DialogTemplates.h"
#include "app/TemplateWidgets.h"

namespace korvel::app {

namespace {

QString FromLocal(const std::string& text) {
  return QString::fromLocal8Bit(text);
}

bool IsEnterKey(const QKeyEvent& event) {
  return (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) &&
         (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

UpgradeDialog::UpgradeDialog(DialogHooks hooks)
    // A fixed dialog frame: caption, window menu and close box, but no minimise or maximise
    // box and no context-help button.
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("upgradeDialog"));
  setWindowTitle(QString::fromLatin1(kMainWindowTemplate.caption));
  setWindowIcon(AppIcon());
  setFont(DialogFont());
  BuildControls();
  ConnectActions();
}

UpgradeDialog::~UpgradeDialog() = default;

void UpgradeDialog::BuildControls() {
  const DialogBaseUnits units = BaseUnitsOf(font());
  const QIcon icon = windowIcon();
  QWidget* previousTabStop = nullptr;
  for (const ControlTemplate& row : kMainWindowControls) {
    QWidget* widget = BuildControl(*this, row, units, icon);
    switch (row.id) {
      case kIdCancel:
        exitButton_ = static_cast<QPushButton*>(widget);
        break;
      case upgrade::kLoadFileButton:
        loadFileButton_ = static_cast<QPushButton*>(widget);
        break;
      case upgrade::kUpgradeButton:
        upgradeButton_ = static_cast<QPushButton*>(widget);
        break;
      case upgrade::kDriveCombo:
        driveCombo_ = static_cast<QComboBox*>(widget);
        break;
      case kHostAdapterField:
        hostAdapterField_ = static_cast<QLabel*>(widget);
        break;
      case kTargetIdField:
        targetIdField_ = static_cast<QLabel*>(widget);
        break;
      case kFirmwareVersionField:
        firmwareVersionField_ = static_cast<QLabel*>(widget);
        break;
      case kStatusLine:
        statusLine_ = static_cast<QLabel*>(widget);
        break;
      default:
        break;
    }
    if (row.kind == ControlKind::PushButton || row.kind == ControlKind::ComboBox) {
      widget->setFocusPolicy(Qt::StrongFocus);
      if (previousTabStop != nullptr) setTabOrder(previousTabStop, widget);
      previousTabStop = widget;
    }
  }
  // No button is the default: Enter presses the button that has the focus, and elsewhere it
  // is the OK command (keyPressEvent).
  for (QPushButton* pushButton : {exitButton_, loadFileButton_, upgradeButton_}) {
    pushButton->setDefault(false);
    pushButton->setAutoDefault(true);
  }
  setFixedSize(ClientSizeOf(kMainWindowTemplate, units));
}

void UpgradeDialog::ConnectActions() {
  connect(exitButton_, &QPushButton::clicked, this, &QDialog::reject);
  // Each handler runs behind a gate: what the user clicks or types while it works is dropped.
  connect(loadFileButton_, &QPushButton::clicked, this, [this] {
    if (model_ == nullptr) return;
    const BusyInputGate gate(*this);
    model_->OnLoadFile();
  });
  connect(upgradeButton_, &QPushButton::clicked, this, [this] {
    if (model_ == nullptr) return;
    const BusyInputGate gate(*this);
    model_->OnUpgrade();
    // The program was asked to end while the flash could not be stopped; it ends now.
    if (model_->lastUpgrade().heldSignal != 0) model_->OnCloseRequest();
  });
  // activated, not currentIndexChanged: only a choice of the user selects a drive, as the
  // selection the logic makes itself has already been shown.
  connect(driveCombo_, &QComboBox::activated, this, [this](int index) {
    if (model_ == nullptr) return;
    const BusyInputGate gate(*this);
    model_->SelectDrive(index);
  });

  // The window menu of the desktop cannot be extended portably; the About command lives in
  // the window's context menu and on F1 instead, and is routed like the window-menu item.
  aboutAction_ = new QAction(QString::fromLatin1(kAboutMenuText), this);
  aboutAction_->setObjectName(QStringLiteral("aboutAction"));
  aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
  aboutAction_->setShortcutContext(Qt::WindowShortcut);
  connect(aboutAction_, &QAction::triggered, this, [this] { OnSysCommand(kAboutCommandId); });
  addAction(aboutAction_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void UpgradeDialog::Bind(upgrade::UpgradeDialogModel& model) {
  model_ = &model;
}

QPushButton* UpgradeDialog::button(int id) const {
  switch (id) {
    case kIdCancel:
      return exitButton_;
    case upgrade::kLoadFileButton:
      return loadFileButton_;
    case upgrade::kUpgradeButton:
      return upgradeButton_;
    default:
      return nullptr;
  }
}

QLabel* UpgradeDialog::field(int id) const {
  switch (id) {
    case kHostAdapterField:
      return hostAdapterField_;
    case kTargetIdField:
      return targetIdField_;
    case kFirmwareVersionField:
      return firmwareVersionField_;
    case kStatusLine:
      return statusLine_;
    default:
      return nullptr;
  }
}

void UpgradeDialog::Initialise() {
  if (initialised_) return;
  initialised_ = true;
  if (model_ != nullptr) model_->OnInitDialog();
  exitButton_->setFocus(Qt::OtherFocusReason);
}

int UpgradeDialog::exec() {
  Initialise();
  if (endedByCloseRequest_) return result();
  return QDialog::exec();
}

void UpgradeDialog::OnSysCommand(int commandId) {
  if (!IsAboutCommand(commandId)) return;
  AboutDialog about(this);
  about.exec();
}

void UpgradeDialog::RefreshControls(const std::string& hostAdapterText,
                                    const std::string& targetIdText,
                                    const std::string& firmwareVersionText,
                                    const std::string& statusText) {
  hostAdapterField_->setText(FromLocal(hostAdapterText));
  targetIdField_->setText(FromLocal(targetIdText));
  firmwareVersionField_->setText(FromLocal(firmwareVersionText));
  statusLine_->setText(FromLocal(statusText));
  // The handlers run long steps (a transfer, fixed waits) without returning to the event loop;
  // painting now puts the texts on screen before those steps begin.
  for (QLabel* label : {hostAdapterField_, targetIdField_, firmwareVersionField_, statusLine_}) {
    label->repaint();
  }
}

void UpgradeDialog::EnableControl(int id, bool enabled) {
  QWidget* control = id == upgrade::kDriveCombo ? static_cast<QWidget*>(driveCombo_) : button(id);
  if (control == nullptr) return;
  control->setEnabled(enabled);
  control->repaint();
}

void UpgradeDialog::AddDriveItem(const std::string& text) {
  driveCombo_->addItem(FromLocal(text));
}

void UpgradeDialog::SelectDriveItem(int index) {
  const QSignalBlocker blocker(driveCombo_);
  driveCombo_->setCurrentIndex(index);
}

std::optional<std::string> UpgradeDialog::AskForUpgradeFile(
    const upgrade::OpenFileRequest& request) {
  return hooks_.chooseFile(this, request);
}

void UpgradeDialog::ShowError(const std::string& text, const std::string& caption) {
  hooks_.showError(this, FromLocal(text), FromLocal(caption));
}

void UpgradeDialog::RequestClose() {
  endedByCloseRequest_ = true;
  done(QDialog::Rejected);
}

void UpgradeDialog::keyPressEvent(QKeyEvent* event) {
  // Enter while no push button has the focus is the OK command: it ends the dialog like
  // Escape, and like Escape it leaves the transport as it is. A focused button takes Enter
  // itself and never passes it on.
  if (IsEnterKey(*event)) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void UpgradeDialog::closeEvent(QCloseEvent* event) {
  if (model_ == nullptr || endedByCloseRequest_) {
    QDialog::closeEvent(event);
    return;
  }
  // The logic releases the transport and then asks for the end through RequestClose.
  model_->OnCloseRequest();
  if (!endedByCloseRequest_) RequestClose();
  event->accept();
}

}  // namespace korvel::app
