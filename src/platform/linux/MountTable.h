// Where block devices are mounted, from a mounts file in the format of /proc/self/mounts.
#pragma once

#include <filesystem>
#include <string>

namespace korvel::platform::linux_host {

// The first mount point of `device` (e.g. "/dev/sr0") listed in `mountsFile`, with the octal
// escapes of the format undone; empty when it is not mounted or the file cannot be read.
std::string MountPointOf(const std::string& device,
                         const std::filesystem::path& mountsFile = "/proc/self/mounts");

}  // namespace korvel::platform::linux_host
