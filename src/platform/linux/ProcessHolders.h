// The processes that hold a device open, found as the kernel shows them under /proc: every
// open file of every process whose open files may be looked at.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/FlashFacts.h"
#include "platform/linux/NodeDevice.h"

namespace korvel::platform::linux_host {

// The processes other than `ownPid` that have one of `nodes` open, each once, in ascending
// order of PID, with the program name as /proc/PID/comm gives it (control characters turned
// into '?'). othersUnchecked tells that some processes' open files could not be looked at (other
// users' processes, when not run as root). Processes that end during the walk are passed over.
// mountPoints stays empty.
DriveUse ProcessesHolding(const std::vector<NodeDevice>& nodes, pid_t ownPid = ::getpid(),
                          const std::filesystem::path& procRoot = "/proc");

}  // namespace korvel::platform::linux_host
