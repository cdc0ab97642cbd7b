// A device of another maker: it identifies itself and answers the commands that every SCSI
// device answers, and takes none of the maker's commands.
#pragma once

#include "emulator/drive/EmulatedDevice.h"

namespace korvel::emulator {

class OtherMakerDevice : public EmulatedDevice {
 public:
  using EmulatedDevice::EmulatedDevice;

 protected:
  CommandResult Dispatch(const Command& command) override;
};

}  // namespace korvel::emulator
