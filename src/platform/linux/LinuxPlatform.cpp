#include "platform/linux/LinuxPlatform.h"

#include <cstdlib>

namespace korvel::platform::linux_host {

LinuxPlatform::LinuxPlatform() : LinuxPlatform(std::getenv("KORVEL_DEBUG") != nullptr) {}

LinuxPlatform::LinuxPlatform(bool debugOutput) : kernel_(debugOutput) {}

}  // namespace korvel::platform::linux_host
