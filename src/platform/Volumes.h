// The file systems behind root paths ("C:\"), as GetDiskFreeSpaceA reports them.
#pragma once

#include "platform/WinTypes.h"

namespace korvel::platform {

class Volumes {
 public:
  virtual ~Volumes() = default;

  // Free space = sectors per cluster x bytes per sector x free clusters. Each output that is
  // not null is written on success; FALSE when the root has no file system.
  virtual BOOL GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster,
                                 DWORD* bytesPerSector, DWORD* freeClusters,
                                 DWORD* totalClusters) = 0;
};

}  // namespace korvel::platform
