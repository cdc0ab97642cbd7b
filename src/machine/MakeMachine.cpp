#include "machine/RealMachine.h"
#include "machine/SimulatedMachine.h"
#include "platform/sim/DefaultScenario.h"

namespace korvel::machine {

std::unique_ptr<Machine> MakeMachine(const MachineOptions& options) {
  if (!options.simulate) return MakeRealMachine(options.debugTrace);
  platform::sim::Scenario scenario = options.scenarioPath.empty()
                                         ? platform::sim::DefaultScenario()
                                         : platform::sim::LoadScenarioFile(options.scenarioPath);
  return std::make_unique<SimulatedMachine>(std::move(scenario), options.debugTrace,
                                            options.scenarioPath);
}

}  // namespace korvel::machine
