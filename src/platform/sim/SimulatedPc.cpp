#include "platform/sim/SimulatedPc.h"

#include "platform/sim/RegistryLayout.h"

namespace korvel::platform::sim {

SimulatedPc::SimulatedPc(Scenario scenario, emulator::Clock& clock)
    : SimulatedPc(std::move(scenario), clock, EmulatorDeviceMaker()) {}

SimulatedPc::SimulatedPc(Scenario scenario, emulator::Clock& clock, const DeviceMaker& maker)
    : scenario_(std::move(scenario)),
      events_(handles_),
      bus_(scenario_, clock, maker),
      aspi_(scenario_, bus_, events_, memory_),
      kernel_(scenario_, clock, aspi_, events_, lastError_),
      deviceIo_(scenario_, bus_, memory_, handles_, lastError_),
      files_(scenario_.filesHeld, handles_, lastError_, bus_),
      versions_(scenario_, lastError_),
      shell_(scenario_.shell),
      volumes_(scenario_, bus_, lastError_),
      platform_{kernel_, deviceIo_, registry_, files_, memory_, versions_, shell_, volumes_} {
  FillRegistry(scenario_, registry_.tree());
}

}  // namespace korvel::platform::sim
