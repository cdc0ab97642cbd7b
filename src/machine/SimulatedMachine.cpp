#include "machine/SimulatedMachine.h"

#include <filesystem>
#include <iostream>
#include <string_view>

#ifndef _WIN32
#include "platform/linux/PosixSignalShield.h"
#endif

namespace korvel::machine {

namespace {

std::vector<InputFile> InputFilesOf(const platform::sim::Scenario& scenario,
                                    const std::string& scenarioPath) {
  std::vector<InputFile> inputs;
  if (!scenarioPath.empty()) inputs.push_back({"the scenario", scenarioPath});
  for (const std::filesystem::path& image : platform::sim::ImageFilesOf(scenario))
    inputs.push_back({"the disc image", image.string()});
  return inputs;
}

// The process is real even when the PC is not: its signals are held as on the real machine.
SimulatedFlashHost::ShieldMaker ProcessSignalShields() {
#ifdef _WIN32
  return nullptr;
#else
  return platform::linux_host::RaiseSignalShield;
#endif
}

}  // namespace

SimulatedMachine::SimulatedMachine(platform::sim::Scenario scenario, bool debugTrace,
                                   const std::string& scenarioPath)
    : inputs_(InputFilesOf(scenario, scenarioPath)),
      flashHost_(scenario.flashGuards, ProcessSignalShields()),
      pc_(std::move(scenario), clock_) {
  if (debugTrace) {
    pc_.kernel().SetDebugSink([](std::string_view line) { std::cerr << line << std::flush; });
  }
}

std::string SimulatedMachine::NoTransportHint() const {
  return "No SCSI transport on the simulated PC: its ASPI library reports no host adapter and "
         "no CD-ROM drive letter leads to a SCSI port.";
}

}  // namespace korvel::machine
