// A main window on a simulated PC with a virtual clock, its logic bound, the message box and
// the open-file dialog replaced by recorders, and every SCSI command logged.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/UpgradeDialog.h"
#include "emulator/VirtualClock.h"
#include "platform/sim/SimulatedPc.h"
#include "transport/CommandLog.h"
#include "transport/ScsiTransport.h"
#include "upgrade/UpgradeDialogModel.h"
#include "upgrade/UpgradeSession.h"

namespace korvel::app::testing {

struct LoggedCommand {
  int adapter;
  int target;
  std::string cdb;  // upper-case hex bytes separated by blanks
};

// The main window with a look-in at each chunk of a transfer, while the Upgrade handler runs.
class ProbingDialog : public UpgradeDialog {
 public:
  using UpgradeDialog::UpgradeDialog;
  void ShowTransferProgress(int chunksSent, int chunkCount) override {
    if (onTransferProgress) onTransferProgress(chunksSent, chunkCount);
  }
  std::function<void(int, int)> onTransferProgress;
};

class DialogRig {
 public:
  // `start` replaces the transport start-up when given.
  explicit DialogRig(std::string_view scenarioJson, std::function<std::uint32_t()> start = nullptr);
  ~DialogRig();

  ProbingDialog& dialog() { return dialog_; }
  upgrade::UpgradeSession& session() { return session_; }
  platform::sim::SimulatedPc& pc() { return pc_; }

  // Initialises and shows the window as the program does, and waits until it is on screen.
  void Open();

  std::vector<LoggedCommand> Commands() const;
  void ForgetCommands() { logText_.str({}); }

  QStringList ComboItems() const;
  QString FieldText(int id) const;

  struct ErrorBox {
    QString text;
    QString caption;
  };
  std::vector<ErrorBox> errors;
  int stopCalls = 0;
  int fileRequests = 0;
  std::optional<std::string> nextFile;

 private:
  emulator::VirtualClock clock_;
  platform::sim::SimulatedPc pc_;
  transport::ScsiTransport transport_;
  std::ostringstream logText_;
  transport::CommandLog log_;
  upgrade::UpgradeSession session_;
  ProbingDialog dialog_;
  upgrade::UpgradeDialogModel model_;
};

}  // namespace korvel::app::testing
