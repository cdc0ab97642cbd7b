// A simulated PC from a scenario (or the built-in one), running in real time.
#pragma once

#include "emulator/RealClock.h"
#include "machine/Machine.h"
#include "machine/SimulatedFlashHost.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::machine {

class SimulatedMachine : public Machine {
 public:
  // `scenarioPath`: the file the scenario was read from; empty for one made in memory.
  SimulatedMachine(platform::sim::Scenario scenario, bool debugTrace,
                   const std::string& scenarioPath = {});

  platform::Platform& platform() override { return pc_.platform(); }
  transport::HostAdapterSource* hostAdapters() override { return nullptr; }
  std::string NoTransportHint() const override;
  std::vector<std::string> Notes() const override { return {}; }
  std::string LocationOf(std::uint8_t, std::uint8_t) const override { return {}; }
  std::vector<InputFile> InputFiles() const override { return inputs_; }
  FlashHost* flashHost() override { return &flashHost_; }
  // The PC itself, for tests that look at what a run left in it.
  platform::sim::SimulatedPc& pc() { return pc_; }

 private:
  std::vector<InputFile> inputs_;
  // Made before the PC, which takes the scenario over.
  SimulatedFlashHost flashHost_;
  // Interactive use runs on the wall clock: the fixed waits of an upgrade take their real time.
  emulator::RealClock clock_;
  platform::sim::SimulatedPc pc_;
};

}  // namespace korvel::machine
