// The real Linux machine as a Platform: its kernel services, POSIX files and free space, the
// drive letters the host adapter mapping hands out, and the Windows services it does not have
// (no NT SCSI devices, an empty registry, no version records, no Windows shell).
#pragma once

#include "platform/LentAddressSpace.h"
#include "platform/Platform.h"
#include "platform/linux/AbsentWindowsServices.h"
#include "platform/linux/DriveLetterTable.h"
#include "platform/linux/LinuxKernel.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/PosixVolumes.h"

namespace korvel::platform::linux_host {

class LinuxPlatform {
 public:
  // Debugger output goes to stderr only when the environment variable KORVEL_DEBUG is set.
  LinuxPlatform();
  explicit LinuxPlatform(bool debugOutput);
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  Platform& platform() { return platform_; }
  // Filled when the host adapters are mapped; read by the file system.
  DriveLetterTable& driveLetters() { return letters_; }

 private:
  DriveLetterTable letters_;
  LinuxKernel kernel_;
  NoDeviceIo deviceIo_;
  EmptyRegistry registry_;
  PosixFileSystem files_{&letters_};
  LentAddressSpace memory_;
  NoVersionInfo versions_;
  NoShell shell_;
  PosixVolumes volumes_;
  Platform platform_{kernel_, deviceIo_, registry_, files_, memory_, versions_, shell_, volumes_};
};

}  // namespace korvel::platform::linux_host
