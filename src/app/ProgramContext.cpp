#include "app/ProgramContext.h"

#include <iostream>

#include "machine/PrintableText.h"

namespace korvel::app {

namespace {

// The upgrade file the screenshot script loads is read by the run as well. One chosen in the
// dialog is opened after the log has been made, so the log cannot replace it.
std::vector<machine::InputFile> UpgradeFileOf(const AppOptions& options) {
  if (options.screenshotImage.empty()) return {};
  return {{"the upgrade file", options.screenshotImage}};
}

}  // namespace

ProgramContext::ProgramContext(const AppOptions& options)
    : scsi_(machine::MakeMachine(machine::MachineOptions{options.simulate, options.scenarioPath,
                                                         options.debugTrace}),
            options.commandLogPath, UpgradeFileOf(options)) {
  if (machine::FlashHost* host = scsi_.machine().flashHost()) {
    machine::FlashGuardOptions guardOptions;
    guardOptions.program = "korvel-upgrade";
    guardOptions.ignorePower = options.ignorePower;
    guardOptions.note = [](const std::string& note) {
      std::cerr << "korvel-upgrade: note: " << machine::PrintableText(note) << '\n';
    };
    guards_.emplace(*host, std::move(guardOptions));
  }
}

ProgramContext::~ProgramContext() {
  // What the discovery left out (devices past the eighth host, nodes it could not open) would
  // otherwise go unexplained in a program whose only voice is its status line.
  for (const std::string& note : scsi_.machine().Notes()) {
    // Notes name device nodes and sysfs paths, which come from outside the program.
    std::cerr << "korvel-upgrade: " << machine::PrintableText(note) << '\n';
  }
}

upgrade::TransportControl ProgramContext::transportControl() {
  return upgrade::TransportControl{
      [this] { return static_cast<std::uint32_t>(scsi_.StartTransport()); },
      [this] { scsi_.StopTransport(); }, scsi_.machine().NoTransportText()};
}

}  // namespace korvel::app
