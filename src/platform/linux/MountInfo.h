// Where the file systems of one device are mounted, by device number, from a file in the format
// of /proc/self/mountinfo. A device number needs no node name: a disc mounted through
// /dev/cdrom, a link or a node of another name is still found.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace korvel::platform::linux_host {

// The mount points of the file systems whose device is `device`, in the file's order, each
// once, with the format's octal escapes undone. Lines that do not fit the format are passed
// over; a file that cannot be read gives none.
std::vector<std::string> MountPointsOfDevice(
    dev_t device, const std::filesystem::path& mountInfoFile = "/proc/self/mountinfo");

}  // namespace korvel::platform::linux_host
