#include "DialogRig.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <nlohmann/json.hpp>

#include "platform/sim/Scenario.h"
#include "transport/TransportStartup.h"

namespace korvel::app::testing {

namespace {

DialogHooks RecordingHooks(DialogRig& rig) {
  DialogHooks hooks;
  hooks.showError = [&rig](QWidget*, const QString& text, const QString& caption) {
    rig.errors.push_back({text, caption});
  };
  hooks.chooseFile = [&rig](QWidget*, const upgrade::OpenFileRequest&) {
    ++rig.fileRequests;
    return rig.nextFile;
  };
  return hooks;
}

}  // namespace

DialogRig::DialogRig(std::string_view scenarioJson, std::function<std::uint32_t()> start)
    : pc_(platform::sim::LoadScenarioText(scenarioJson), clock_),
      transport_(pc_.platform()),
      log_(logText_, pc_.platform().kernel),
      dialog_(RecordingHooks(*this)),
      model_(transport_, session_, dialog_,
             upgrade::TransportControl{
                 start ? std::move(start) : std::function<std::uint32_t()>([this] {
                   return static_cast<std::uint32_t>(transport::StartTransport(transport_));
                 }),
                 [this] {
                   ++stopCalls;
                   transport::StopTransport(transport_);
                 }}) {
  transport_.SetCommandLog(&log_);
  dialog_.Bind(model_);
}

DialogRig::~DialogRig() {
  dialog_.hide();
  transport_.SetCommandLog(nullptr);
}

void DialogRig::Open() {
  dialog_.Initialise();
  if (dialog_.endedByCloseRequest()) return;
  dialog_.show();
  dialog_.activateWindow();
  QApplication::setActiveWindow(&dialog_);
  // Shortcuts of the window (F1) only reach the active window.
  (void)QTest::qWaitForWindowActive(&dialog_);
}

std::vector<LoggedCommand> DialogRig::Commands() const {
  std::vector<LoggedCommand> commands;
  std::istringstream lines(logText_.str());
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json entry = nlohmann::json::parse(line);
    commands.push_back(
        {entry["adapter"].get<int>(), entry["target"].get<int>(), entry["cdb"].get<std::string>()});
  }
  return commands;
}

QStringList DialogRig::ComboItems() const {
  QStringList items;
  for (int i = 0; i < dialog_.driveCombo()->count(); ++i)
    items << dialog_.driveCombo()->itemText(i);
  return items;
}

QString DialogRig::FieldText(int id) const {
  return dialog_.field(id)->text();
}

}  // namespace korvel::app::testing
