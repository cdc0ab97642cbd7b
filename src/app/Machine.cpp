#include "app/Machine.h"

#include <iostream>
#include <string_view>

#include "emulator/RealClock.h"
#include "platform/sim/DefaultScenario.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::app {

namespace {

class SimulatedMachine : public Machine {
 public:
  SimulatedMachine(platform::sim::Scenario scenario, bool debugTrace)
      : pc_(std::move(scenario), clock_) {
    if (debugTrace) {
      pc_.kernel().SetDebugSink([](std::string_view line) { std::cerr << line << std::flush; });
    }
  }
  platform::Platform& platform() override { return pc_.platform(); }
  transport::HostAdapterSource* hostAdapters() override { return nullptr; }

 private:
  // The demo runs on the wall clock: the fixed waits of an upgrade take their real time.
  emulator::RealClock clock_;
  platform::sim::SimulatedPc pc_;
};

}  // namespace

std::unique_ptr<Machine> MakeMachine(const AppOptions& options) {
  if (options.simulate) {
    platform::sim::Scenario scenario = options.scenarioPath.empty()
                                           ? platform::sim::DefaultScenario()
                                           : platform::sim::LoadScenarioFile(options.scenarioPath);
    return std::make_unique<SimulatedMachine>(std::move(scenario), options.debugTrace);
  }
  return MakeLinuxMachine(options);
}

}  // namespace korvel::app
