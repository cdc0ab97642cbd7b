#include "platform/linux/PosixVolumes.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cstdint>

namespace korvel::platform::linux_host {
namespace {

// Windows reports counts that do not fit 32 bits as the largest 32-bit count.
DWORD Clamp32(std::uint64_t count) {
  return static_cast<DWORD>(std::min<std::uint64_t>(count, 0xFFFFFFFFu));
}

}  // namespace

BOOL PosixVolumes::GetDiskFreeSpaceA(const char* rootPath, DWORD* sectorsPerCluster,
                                     DWORD* bytesPerSector, DWORD* freeClusters,
                                     DWORD* totalClusters) {
  if (rootPath == nullptr || rootPath[0] != '/') return 0;
  struct statvfs info {};
  if (::statvfs(rootPath, &info) != 0) return 0;
  // Free space as an unprivileged program may use it.
  if (sectorsPerCluster != nullptr) *sectorsPerCluster = 1;
  if (bytesPerSector != nullptr) *bytesPerSector = Clamp32(info.f_frsize);
  if (freeClusters != nullptr) *freeClusters = Clamp32(info.f_bavail);
  if (totalClusters != nullptr) *totalClusters = Clamp32(info.f_blocks);
  return 1;
}

}  // namespace korvel::platform::linux_host
