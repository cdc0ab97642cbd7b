// A simulated Windows PC built from a scenario: its kernel, ASPI library, NT device I/O,
// registry, files, 32-bit address space, version records, shell and volumes, with the scenario's
// emulated drives on its buses.
#pragma once

#include "emulator/Clock.h"
#include "platform/LentAddressSpace.h"
#include "platform/Platform.h"
#include "platform/sim/AspiLibrary.h"
#include "platform/sim/EmulatedBus.h"
#include "platform/sim/EventTable.h"
#include "platform/sim/HandleSource.h"
#include "platform/sim/LastError.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedDeviceIo.h"
#include "platform/sim/SimulatedFileSystem.h"
#include "platform/sim/SimulatedKernel.h"
#include "platform/sim/SimulatedRegistry.h"
#include "platform/sim/SimulatedShell.h"
#include "platform/sim/SimulatedVersionInfo.h"
#include "platform/sim/SimulatedVolumes.h"

namespace korvel::platform::sim {

class SimulatedPc {
 public:
  // Boots the PC: makes the devices with the emulator and asks each one INQUIRY once.
  SimulatedPc(Scenario scenario, emulator::Clock& clock);
  // The same with devices from `maker` (tests put scripted devices on the buses this way).
  SimulatedPc(Scenario scenario, emulator::Clock& clock, const DeviceMaker& maker);
  SimulatedPc(const SimulatedPc&) = delete;
  SimulatedPc& operator=(const SimulatedPc&) = delete;

  Platform& platform() { return platform_; }

  const Scenario& scenario() const { return scenario_; }
  SimulatedKernel& kernel() { return kernel_; }
  SimulatedDeviceIo& deviceIo() { return deviceIo_; }
  SimulatedRegistry& registry() { return registry_; }
  SimulatedFileSystem& files() { return files_; }
  SimulatedVersionInfo& versions() { return versions_; }
  SimulatedShell& shell() { return shell_; }
  SimulatedVolumes& volumes() { return volumes_; }
  LentAddressSpace& memory() { return memory_; }
  EmulatedBus& bus() { return bus_; }

 private:
  // Members are torn down in reverse order: the ASPI library ends its queued requests while
  // the buses, events and memory they use still exist.
  const Scenario scenario_;
  HandleSource handles_;
  LastError lastError_;
  LentAddressSpace memory_;
  EventTable events_;
  EmulatedBus bus_;
  AspiLibrary aspi_;
  SimulatedKernel kernel_;
  SimulatedDeviceIo deviceIo_;
  SimulatedRegistry registry_;
  SimulatedFileSystem files_;
  SimulatedVersionInfo versions_;
  SimulatedShell shell_;
  SimulatedVolumes volumes_;
  Platform platform_;
};

}  // namespace korvel::platform::sim
