// The free space of the real Windows machine's volumes (GetDiskFreeSpaceA).
#pragma once

#include "platform/Volumes.h"

namespace korvel::platform::win32 {

class Win32Volumes : public Volumes {
 public:
  BOOL GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override;
};

}  // namespace korvel::platform::win32
