// The real Windows machine as a Platform: every service is the system's own, and the 32-bit
// address space is the process's.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/IdentityAddressSpace.h"
#include "platform/win32/Win32DeviceIo.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Kernel.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32VersionInfo.h"
#include "platform/win32/Win32Volumes.h"

namespace korvel::platform::win32 {

class Win32Platform {
 public:
  // `debugOutput`: the debugger output also goes to stderr.
  explicit Win32Platform(bool debugOutput) : kernel_(debugOutput) {}
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& platform() { return platform_; }

 private:
  Win32Kernel kernel_;
  Win32DeviceIo deviceIo_;
  Win32Registry registry_;
  Win32FileSystem files_;
  IdentityAddressSpace memory_;
  Win32VersionInfo versions_;
  Win32Shell shell_;
  Win32Volumes volumes_;
  Platform platform_{kernel_, deviceIo_, registry_, files_, memory_, versions_, shell_, volumes_};
};

}  // namespace korvel::platform::win32
