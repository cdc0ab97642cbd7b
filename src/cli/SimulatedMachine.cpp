#include "cli/SimulatedMachine.h"

#include "platform/sim/DefaultScenario.h"

namespace korvel::cli {

std::unique_ptr<SimulatedMachine> SimulatedMachine::FromFile(
    const std::filesystem::path& scenarioFile) {
  return std::make_unique<SimulatedMachine>(platform::sim::LoadScenarioFile(scenarioFile));
}

std::unique_ptr<SimulatedMachine> SimulatedMachine::BuiltIn() {
  return std::make_unique<SimulatedMachine>(platform::sim::DefaultScenario());
}

SimulatedMachine::SimulatedMachine(platform::sim::Scenario scenario)
    : pc_(std::move(scenario), clock_) {}

std::string SimulatedMachine::NoTransportHint() const {
  return "No SCSI transport on the simulated PC: its ASPI library reports no host adapter and "
         "no CD-ROM drive letter leads to a SCSI port.";
}

}  // namespace korvel::cli
