// A simulated PC from a scenario (or the built-in one), running in real time.
#pragma once

#include <filesystem>
#include <memory>

#include "cli/Machine.h"
#include "emulator/RealClock.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::cli {

class SimulatedMachine : public Machine {
 public:
  // Throws emulator::ConfigError when the scenario file cannot be read or used.
  static std::unique_ptr<SimulatedMachine> FromFile(const std::filesystem::path& scenarioFile);
  static std::unique_ptr<SimulatedMachine> BuiltIn();

  explicit SimulatedMachine(platform::sim::Scenario scenario);

  platform::Platform& platform() override { return pc_.platform(); }
  transport::HostAdapterSource* hostAdapters() override { return nullptr; }
  std::string NoTransportHint() const override;
  std::vector<std::string> Notes() const override { return {}; }
  std::string LocationOf(std::uint8_t, std::uint8_t) const override { return {}; }

 private:
  emulator::RealClock clock_;
  platform::sim::SimulatedPc pc_;
};

}  // namespace korvel::cli
