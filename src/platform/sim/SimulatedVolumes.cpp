#include "platform/sim/SimulatedVolumes.h"

#include <cctype>
#include <string_view>

#include "platform/sim/WinBool.h"

namespace korvel::platform::sim {

SimulatedVolumes::SimulatedVolumes(const Scenario& scenario, EmulatedBus& bus, LastError& lastError)
    : scenario_(scenario), bus_(bus), lastError_(lastError) {}

BOOL SimulatedVolumes::GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster,
                                         DWORD* bytesPerSector, DWORD* freeClusters,
                                         DWORD* totalClusters) {
  const std::string_view root = rootPath == nullptr ? std::string_view() : rootPath;
  if (root.size() != 3 || root[1] != ':' || root[2] != '\\' ||
      !std::isalpha(static_cast<unsigned char>(root[0]))) {
    lastError_.Set(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
  const auto space = scenario_.freeSpace.find(letter);
  if (space == scenario_.freeSpace.end()) {
    const bool exists = scenario_.drives.count(letter) != 0 || bus_.FindByLetter(letter) != nullptr;
    lastError_.Set(exists ? ERROR_NOT_READY : ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  if (sectorsPerCluster != nullptr) *sectorsPerCluster = space->second.sectorsPerCluster;
  if (bytesPerSector != nullptr) *bytesPerSector = space->second.bytesPerSector;
  if (freeClusters != nullptr) *freeClusters = space->second.freeClusters;
  if (totalClusters != nullptr) *totalClusters = space->second.totalClusters;
  return TRUE;
}

}  // namespace korvel::platform::sim
