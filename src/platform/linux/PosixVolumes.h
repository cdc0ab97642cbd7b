// Free space on the Linux machine. It has no drive letters: "X:\" roots do not exist
// (ERROR_PATH_NOT_FOUND); an absolute path is answered from statvfs, as one cluster of one
// fragment per file-system block.
#pragma once

#include "platform/Volumes.h"

namespace korvel::platform::linux_host {

class PosixVolumes : public Volumes {
 public:
  BOOL GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) override;
};

}  // namespace korvel::platform::linux_host
