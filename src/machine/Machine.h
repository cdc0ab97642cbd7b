// The computer a program works on: the simulated PC of a scenario or the real machine. It
// supplies the platform services and, on Linux, the host's own SCSI buses.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "machine/FlashHost.h"
#include "machine/InputFile.h"
#include "platform/Platform.h"
#include "transport/HostAdapterSource.h"

namespace korvel::machine {

class Machine {
 public:
  virtual ~Machine() = default;
  virtual platform::Platform& platform() = 0;
  // The start-up's last resort when no Windows transport exists; null when there is none.
  virtual transport::HostAdapterSource* hostAdapters() = 0;
  // The start-up error when no transport could be started: the Windows text, unless the machine
  // has a better one to say what is missing there.
  virtual std::string NoTransportText() const {
    return "ERROR: ASPI Layer for Win32 is not initialized!";
  }
  // The line printed under the start-up error, saying what was looked for.
  virtual std::string NoTransportHint() const = 0;
  // Things worth telling the user after a run (devices left out, permission problems).
  virtual std::vector<std::string> Notes() const = 0;
  // True when the machine has drives but could open none of them, so that a scan that found
  // nothing says nothing about what is there.
  virtual bool CouldOpenNoDevice() const { return false; }
  // Where a drive is on this machine beyond its address (device nodes, mount point); empty
  // when there is nothing to add.
  virtual std::string LocationOf(std::uint8_t adapter, std::uint8_t target) const = 0;
  // The files of this machine it was made from (a scenario and the disc images it names), which
  // nothing the run writes may replace.
  virtual std::vector<InputFile> InputFiles() const { return {}; }
  // What the guards around a flash learn and take from this machine; null where nothing is
  // guarded.
  virtual FlashHost* flashHost() { return nullptr; }
  // The drives that could not be reached because another program holds them alone (flashing
  // them, most likely), each with the line that says so.
  virtual std::vector<std::pair<transport::DeviceAddress, std::string>> DrivesHeldElsewhere()
      const {
    return {};
  }
};

struct MachineOptions {
  // A simulated PC (on real time) instead of the real machine.
  bool simulate = false;
  // The scenario file of the simulated PC; empty for the built-in one.
  std::string scenarioPath;
  // The debugger output channel (trace lines) on stderr.
  bool debugTrace = false;
};

// Throws emulator::ConfigError when the scenario file cannot be read or used.
std::unique_ptr<Machine> MakeMachine(const MachineOptions& options);

}  // namespace korvel::machine
