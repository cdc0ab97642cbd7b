#include "platform/win32/Win32Volumes.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {

BOOL Win32Volumes::GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster,
                                     DWORD* bytesPerSector, DWORD* freeClusters,
                                     DWORD* totalClusters) {
  ::DWORD values[4] = {};
  const BOOL done = ::GetDiskFreeSpaceA(rootPath, &values[0], &values[1], &values[2], &values[3]);
  if (!done) return done;
  DWORD* const outputs[4] = {sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
  for (int i = 0; i < 4; ++i) {
    if (outputs[i] != nullptr) *outputs[i] = values[i];
  }
  return done;
}

}  // namespace korvel::platform::win32
