// The operating system as the system sees it: one bundle of the platform services, made once
// by the program (real machine or simulated PC) and passed down by reference.
#pragma once

#include "platform/Address32.h"
#include "platform/DeviceIo.h"
#include "platform/FileSystem.h"
#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/VersionInfo.h"
#include "platform/Volumes.h"

namespace korvel::platform {

struct Platform {
  Kernel& kernel;
  DeviceIo& deviceIo;
  Registry& registry;
  FileSystem& files;
  AddressSpace32& memory;
  VersionInfo& versions;
  Shell& shell;
  Volumes& volumes;
};

}  // namespace korvel::platform
