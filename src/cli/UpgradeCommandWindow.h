// The main window's logic on a terminal, shared by korvelfw check and upgrade: a window without
// a display that keeps the texts and control states, answers the file dialog with the file
// named on the command line and draws the transfer's progress.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "cli/CliContext.h"
#include "upgrade/UpgradeDialogModel.h"
#include "upgrade/UpgradeWindow.h"

namespace korvel::cli {

class UpgradeCommandWindow : public upgrade::UpgradeWindow {
 public:
  enum class Progress { None, Bar, Lines };

  UpgradeCommandWindow(CliContext& context, std::string file) : context_(context), file_(file) {}

  void RefreshControls(const std::string& hostAdapterText, const std::string& targetIdText,
                       const std::string& firmwareVersionText,
                       const std::string& statusText) override;
  void EnableControl(int id, bool enabled) override { enabled_[id] = enabled; }
  void AddDriveItem(const std::string& text) override { driveItems_.push_back(text); }
  void SelectDriveItem(int) override {}
  std::optional<std::string> AskForUpgradeFile(const upgrade::OpenFileRequest&) override {
    return file_;
  }
  void ShowError(const std::string& text, const std::string& caption) override;
  void ShowRefusal(const std::string& text) override;
  void RequestClose() override {}
  void ShowTransferProgress(int chunksSent, int chunkCount) override;

  bool IsEnabled(int id) const;
  const std::string& driveItem(int index) const { return driveItems_.at(index); }
  // From now on, each new status text is printed on its own line.
  void EchoStatus(bool echo) { echoStatus_ = echo; }
  // A dry run reads the chunks without sending them, and the progress lines say so.
  void DescribeChunksAsRead(bool read) { chunkVerb_ = read ? "read" : "sent"; }
  void ShowProgressAs(Progress progress) { progress_ = progress; }
  // Ends a progress bar left on its line.
  void FinishProgress();

 private:
  CliContext& context_;
  std::string file_;
  std::map<int, bool> enabled_;
  std::vector<std::string> driveItems_;
  bool echoStatus_ = false;
  const char* chunkVerb_ = "sent";
  std::string lastStatus_;
  Progress progress_ = Progress::None;
  bool barOpen_ = false;
};

// Opens the dialog's logic on the drive that --drive names (the first drive found without it)
// and loads the file there, as Load File does. Gives the exit code when it cannot go on;
// nothing when the file was checked (whatever the verdict).
std::optional<int> OpenDialogAndLoad(CliContext& context, upgrade::UpgradeDialogModel& model,
                                     UpgradeCommandWindow& window);

// Explains on stderr a refused file that the status line does not explain: why the file could
// not be opened or is no upgrade file for the drive; a drive model that Load File is offered
// for but no upgrade-file format serves keeps its old status text.
void ExplainRefusal(CliContext& context, const upgrade::UpgradeDialogModel& model,
                    const UpgradeCommandWindow& window);

// The transport start and stop that the dialog's logic calls, on the context's transport.
upgrade::TransportControl TransportControlOf(CliContext& context);

// The file as the file dialog would give it: a full path.
std::string FullPathOf(const std::string& file);

// "H:T" of the drive the dialog shows.
std::string AddressText(const upgrade::UpgradeSession& session);

}  // namespace korvel::cli
