// The files on the disc in an emulated drive, seen under the drive's letter the way the CD file
// system of the simulated PC sees them: it asks the drive itself (READ TOC, READ(10) of 2048-byte
// blocks, straight on the bus and not through the program's transport) for the ISO 9660 volume
// of the last session, every time, so a disc changed in between is seen at once.
#pragma once

#include "platform/DrivePath.h"
#include "platform/WinTypes.h"
#include "platform/sim/EmulatedBus.h"

namespace korvel::platform::sim {

class DiscFileSystem {
 public:
  explicit DiscFileSystem(EmulatedBus& bus) : bus_(bus) {}

  // FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL; INVALID_FILE_ATTRIBUTES with `error`
  // set to ERROR_PATH_NOT_FOUND (no emulated drive has the letter, or a folder on the way is
  // missing), ERROR_FILE_NOT_FOUND, ERROR_NOT_READY (no disc), ERROR_UNRECOGNIZED_MEDIA (no
  // ISO 9660 volume), ERROR_FILE_CORRUPT or ERROR_READ_FAULT.
  DWORD AttributesOf(const DrivePath& path, DWORD& error);

 private:
  EmulatedBus& bus_;
};

}  // namespace korvel::platform::sim
