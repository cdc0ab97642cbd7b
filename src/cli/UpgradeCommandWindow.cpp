#include "cli/UpgradeCommandWindow.h"

#include <filesystem>

#include "cli/ExitCodes.h"
#include "cli/FileRefusal.h"
#include "cli/SafeText.h"
#include "transport/TransportStartup.h"

namespace korvel::cli {

void UpgradeCommandWindow::RefreshControls(const std::string&, const std::string&,
                                           const std::string&, const std::string& statusText) {
  if (echoStatus_ && statusText != lastStatus_) {
    FinishProgress();
    context_.out() << PrintableText(statusText) << '\n';
  }
  lastStatus_ = statusText;
}

void UpgradeCommandWindow::ShowError(const std::string& text, const std::string&) {
  context_.err() << PrintableText(text) << '\n' << context_.machine().NoTransportHint() << '\n';
}

void UpgradeCommandWindow::ShowRefusal(const std::string& text) {
  context_.err() << "korvelfw: " << PrintableText(text) << '\n';
}

void UpgradeCommandWindow::ShowTransferProgress(int chunksSent, int chunkCount) {
  std::ostream& out = context_.out();
  if (progress_ == Progress::Bar) {
    constexpr int kWidth = 32;
    const int filled = chunksSent * kWidth / chunkCount;
    out << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] "
        << chunksSent << '/' << chunkCount << " chunks" << std::flush;
    barOpen_ = true;
    if (chunksSent == chunkCount) FinishProgress();
  } else if (progress_ == Progress::Lines) {
    // A line per 64 KiB keeps a log readable.
    if (chunksSent % 8 == 0 || chunksSent == chunkCount) {
      out << chunkVerb_ << ' ' << chunksSent << " of " << chunkCount << " chunks\n";
    }
  }
}

void UpgradeCommandWindow::FinishProgress() {
  if (!barOpen_) return;
  context_.out() << '\n';
  barOpen_ = false;
}

bool UpgradeCommandWindow::IsEnabled(int id) const {
  auto found = enabled_.find(id);
  // Controls the logic never touched keep the window template's state.
  if (found == enabled_.end()) return id != upgrade::kUpgradeButton;
  return found->second;
}

void ExplainRefusal(CliContext& context, const upgrade::UpgradeDialogModel& model,
                    const UpgradeCommandWindow& window) {
  // A command the system refused (rights, a capability) is explained in the notes.
  context.PrintNotes();
  if (const auto& check = model.lastFileCheck()) {
    const std::string why = FileRefusalText(*check, model.session().UpgradeImage);
    if (!why.empty()) context.err() << "korvelfw: " << why << '\n';
    return;
  }
  if (model.statusText() != upgrade::kSelectFileText) return;
  context.err() << "korvelfw: no upgrade-file format serves the drive at "
                << AddressText(model.session()) << " ("
                << PrintableText(window.driveItem(model.session().SelectedDrive)) << ")\n";
}

upgrade::TransportControl TransportControlOf(CliContext& context) {
  return upgrade::TransportControl{[&context] {
                                     return static_cast<std::uint32_t>(transport::StartTransport(
                                         context.transport(), context.machine().hostAdapters()));
                                   },
                                   [&context] { transport::StopTransport(context.transport()); },
                                   context.machine().NoTransportText()};
}

std::string FullPathOf(const std::string& file) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(file, error);
  return error ? file : full.string();
}

std::string AddressText(const upgrade::UpgradeSession& session) {
  const transport::DeviceAddress address = session.SelectedAddress();
  return std::to_string(address.adapter) + ":" + std::to_string(address.target);
}

std::optional<int> OpenDialogAndLoad(CliContext& context, upgrade::UpgradeDialogModel& model,
                                     UpgradeCommandWindow& window) {
  if (!model.OnInitDialog()) {
    context.PrintNotes();
    return kExitNoTransport;
  }
  const upgrade::UpgradeSession& session = model.session();
  const std::optional<transport::DeviceAddress> wanted = context.requestedDrive();
  // A drive that another program holds alone is refused, not missing: the user is to wait.
  bool heldElsewhere = false;
  for (const auto& [address, text] : context.machine().DrivesHeldElsewhere()) {
    if (wanted ? !(*wanted == address) : session.DriveCount > 0) continue;
    context.err() << "korvelfw: " << PrintableText(text) << '\n';
    heldElsewhere = true;
  }
  if (heldElsewhere) return kExitFailed;
  if (session.DriveCount == 0) {
    if (!context.ReportNoDeviceOpened()) {
      context.err() << "No Korvel drive was found.\n";
      context.PrintNotes();
    }
    return kExitNoTransport;
  }
  if (wanted) {
    int index = -1;
    for (int i = 0; i < session.DriveCount && index < 0; ++i) {
      if (session.DriveList[i] == *wanted) index = i;
    }
    if (index < 0) {
      context.err() << "No Korvel drive at " << int{wanted->adapter} << ':' << int{wanted->target}
                    << ".\n";
      return kExitNoTransport;
    }
    // The window already showed entry 0; a pick in the drive box selects again.
    if (index != 0) model.SelectDrive(index);
  }
  // Load File is not offered for a drive that takes no upgrade: the status line says why.
  if (!window.IsEnabled(upgrade::kLoadFileButton)) return std::nullopt;
  model.OnLoadFile();
  return std::nullopt;
}

}  // namespace korvel::cli
