// The narrow view of the main window that the dialog's logic (scan, selection, Load File,
// Upgrade) works through: the Qt dialog implements it, the command-line program and the tests
// give their own.
#pragma once

#include <optional>
#include <string>

namespace korvel::upgrade {

// Control ids of the main window.
inline constexpr int kLoadFileButton = 1000;
inline constexpr int kUpgradeButton = 1001;
inline constexpr int kDriveCombo = 1002;

// What the open-file dialog is asked to show.
struct OpenFileRequest {
  const char* defaultExtension = "BIN";
  const char* filter = "Upgrade Files (*.bin)|*.bin|All Files (*.*)|*.*||";
};

class UpgradeWindow {
 public:
  virtual ~UpgradeWindow() = default;

  // Copies the four text fields (host adapter, target ID, firmware version, status) into their
  // controls at once, so that what was set is on screen before the next long step.
  virtual void RefreshControls(const std::string& hostAdapterText, const std::string& targetIdText,
                               const std::string& firmwareVersionText,
                               const std::string& statusText) = 0;
  // Takes effect at once, without RefreshControls.
  virtual void EnableControl(int id, bool enabled) = 0;
  // Appends an item to the drive box.
  virtual void AddDriveItem(const std::string& text) = 0;
  virtual void SelectDriveItem(int index) = 0;
  // The open-file dialog: the full path, or nothing when the user cancelled.
  virtual std::optional<std::string> AskForUpgradeFile(const OpenFileRequest& request) = 0;
  // The fatal start-up message box, captioned "ERROR!".
  virtual void ShowError(const std::string& text, const std::string& caption) = 0;
  // Why a guard around the flash refuses it (or would, when the file is loaded), in the
  // window's "ERROR!" box; a window without a box says it its own way.
  virtual void ShowRefusal(const std::string& text) { ShowError(text, "ERROR!"); }
  // Ends the dialog. The logic has already stopped the transport when it calls this, so a
  // window must route its own close requests (close box, Alt+F4) to
  // UpgradeDialogModel::OnCloseRequest rather than straight here.
  virtual void RequestClose() = 0;
  // After each firmware chunk the drive accepted, during an upgrade; the window takes no input
  // then, so this is for a progress display only.
  virtual void ShowTransferProgress(int /*chunksSent*/, int /*chunkCount*/) {}
};

}  // namespace korvel::upgrade
