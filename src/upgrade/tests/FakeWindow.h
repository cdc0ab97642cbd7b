// A window without a display for the dialog's logic: it keeps what the logic showed and
// answers the open-file dialog from a script.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "upgrade/UpgradeWindow.h"

namespace korvel::upgrade::testing {

class FakeWindow : public UpgradeWindow {
 public:
  struct Texts {
    std::string hostAdapter, targetId, firmwareVersion, status;
    friend bool operator==(const Texts&, const Texts&) = default;
  };

  // The template's states: everything enabled but Upgrade.
  std::map<int, bool> enabled{
      {kLoadFileButton, true}, {kUpgradeButton, false}, {kDriveCombo, true}};
  std::vector<std::pair<int, bool>> enableCalls;
  std::vector<Texts> refreshes;
  std::vector<std::string> driveItems;
  std::optional<int> selectedItem;
  // Paths the open-file dialog answers, one per Load File; nothing is a cancel.
  std::deque<std::optional<std::string>> fileAnswers;
  std::vector<OpenFileRequest> fileRequests;
  std::vector<std::pair<std::string, std::string>> errors;
  int closeRequests = 0;
  std::vector<int> progress;

  const Texts& shown() const { return refreshes.back(); }

  void RefreshControls(const std::string& hostAdapterText, const std::string& targetIdText,
                       const std::string& firmwareVersionText,
                       const std::string& statusText) override {
    refreshes.push_back({hostAdapterText, targetIdText, firmwareVersionText, statusText});
  }
  void EnableControl(int id, bool on) override {
    enabled[id] = on;
    enableCalls.emplace_back(id, on);
  }
  void AddDriveItem(const std::string& text) override { driveItems.push_back(text); }
  void SelectDriveItem(int index) override { selectedItem = index; }
  std::optional<std::string> AskForUpgradeFile(const OpenFileRequest& request) override {
    fileRequests.push_back(request);
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }
  void ShowError(const std::string& text, const std::string& caption) override {
    errors.emplace_back(text, caption);
  }
  void RequestClose() override { ++closeRequests; }
  void ShowTransferProgress(int chunksSent, int) override { progress.push_back(chunksSent); }
};

}  // namespace korvel::upgrade::testing
