// The free space of the simulated PC's drive letters, as the scenario gives it. A letter that
// exists but has no free space in the scenario answers as a drive without a medium does.
#pragma once

#include "platform/Volumes.h"
#include "platform/sim/EmulatedBus.h"
#include "platform/sim/LastError.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

class SimulatedVolumes : public Volumes {
 public:
  SimulatedVolumes(const Scenario& scenario, EmulatedBus& bus, LastError& lastError);

  // Root paths "X:\" only. ERROR_PATH_NOT_FOUND for a letter the PC does not have,
  // ERROR_NOT_READY for one without free space in the scenario.
  BOOL GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override;

 private:
  const Scenario& scenario_;
  EmulatedBus& bus_;
  LastError& lastError_;
};

}  // namespace korvel::platform::sim
