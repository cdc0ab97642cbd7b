// The main window as a Win32 dialog made by the dialog manager from resource template 102: the
// drive box, the host adapter, target ID and firmware version of the selected drive, the status
// line, Load File, Upgrade and Exit, and the About item of the system menu. It shows what the
// dialog's logic (UpgradeDialogModel) tells it through UpgradeWindow and hands every user
// action to that logic; it decides nothing itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "upgrade/UpgradeWindow.h"
#include "winapp/DialogLogic.h"
#include "winapp/DialogTestHooks.h"

// The handle types of <windows.h>, declared as it declares them, so that this header can be
// included beside the platform layer's Win32 names (see DialogLogic.h).
struct HWND__;
struct HICON__;

namespace korvel::winapp {

class NativeUpgradeDialog : public upgrade::UpgradeWindow {
 public:
  explicit NativeUpgradeDialog(DialogTestHooks hooks);
  NativeUpgradeDialog(const NativeUpgradeDialog&) = delete;
  NativeUpgradeDialog& operator=(const NativeUpgradeDialog&) = delete;

  // The logic behind the window; set once, before Run.
  void Bind(DialogLogic& logic) { logic_ = &logic; }

  // Makes the window and runs it modally until it ends, whichever way (Exit, Escape, Enter, the
  // close request); false when the window could not be made.
  bool Run();

  // One message of the window, from its dialog procedure: the answer the procedure returns.
  std::intptr_t OnMessage(unsigned message, std::uintptr_t wParam);
  void Attach(HWND__* window) { window_ = window; }

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
  void ShowTransferProgress(int chunksSent, int chunkCount) override;

 private:
  void OnInitDialog();
  bool OnCommand(int id, int notification);
  bool OnSysCommand(int command);
  bool PaintMinimised();
  void AppendAboutItem();
  void ReportLayoutAndEnd();
  // Runs one handler of the logic, then drops the input the user made while it ran.
  template <typename Handler>
  void RunHandler(Handler handler);

  DialogTestHooks hooks_;
  HICON__* appIcon_;
  HWND__* window_ = nullptr;
  DialogLogic* logic_ = nullptr;
};

}  // namespace korvel::winapp
