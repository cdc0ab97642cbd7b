#include "utilities/FreeDiskBytes.h"

#include <cstdio>
#include <limits>

namespace korvel::utilities {

using namespace platform;

std::uint64_t FreeDiskBytes(Volumes& volumes, char letter) {
  char root[4];
  std::snprintf(root, sizeof root, "%c:\\", letter);
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  DWORD totalClusters = 0;
  if (volumes.GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                &totalClusters) == 0) {
    return 0;
  }
  // Taken in 64 bits so that nothing wraps at 4 GiB. Three 32-bit factors can pass 64 bits only
  // in a made-up answer; that saturates rather than wraps to a small number.
  const std::uint64_t clusterBytes = std::uint64_t{sectorsPerCluster} * bytesPerSector;
  if (freeClusters != 0 &&
      clusterBytes > std::numeric_limits<std::uint64_t>::max() / freeClusters) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  return clusterBytes * freeClusters;
}

}  // namespace korvel::utilities
