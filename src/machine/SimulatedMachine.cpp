#include "machine/SimulatedMachine.h"

#include <iostream>
#include <string_view>

namespace korvel::machine {

SimulatedMachine::SimulatedMachine(platform::sim::Scenario scenario, bool debugTrace)
    : pc_(std::move(scenario), clock_) {
  if (debugTrace) {
    pc_.kernel().SetDebugSink([](std::string_view line) { std::cerr << line << std::flush; });
  }
}

std::string SimulatedMachine::NoTransportHint() const {
  return "No SCSI transport on the simulated PC: its ASPI library reports no host adapter and "
         "no CD-ROM drive letter leads to a SCSI port.";
}

}  // namespace korvel::machine
