#include "app/ProgramContext.h"

#include <iostream>

#include "machine/PrintableText.h"

namespace korvel::app {

ProgramContext::ProgramContext(const AppOptions& options)
    : scsi_(machine::MakeMachine(machine::MachineOptions{options.simulate, options.scenarioPath,
                                                         options.debugTrace}),
            options.commandLogPath) {}

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
