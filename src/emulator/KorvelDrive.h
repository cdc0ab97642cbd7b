// An emulated Korvel CD-R/CD-ROM drive: identification, sense, mode pages, reads of a
// synthetic disc and of drive memory, and the firmware download with its restart.
#pragma once

#include <optional>

#include "emulator/DiscSectors.h"
#include "emulator/DriveMemory.h"
#include "emulator/DriveModel.h"
#include "emulator/EmulatedDevice.h"
#include "emulator/FirmwareStore.h"
#include "emulator/ModePages.h"
#include "emulator/RestartTracker.h"
#include "emulator/SpeedModel.h"

namespace korvel::emulator {

class KorvelDrive : public EmulatedDevice {
 public:
  KorvelDrive(const DeviceConfig& config, Clock& clock);

 protected:
  CommandResult Dispatch(const Command& command) override;
  SenseCode IdleSense() override;

 private:
  CommandResult TestUnitReady();
  CommandResult WriteBuffer(const Command& command);
  CommandResult ReadDriveMemory(const Command& command);
  CommandResult ModeSense(const Command& command, bool tenByte);
  CommandResult ModeSelect(const Command& command, bool tenByte);
  CommandResult Read6(const Command& command);
  CommandResult ReadCd(const Command& command);
  CommandResult ReadCapacity(const Command& command);
  CommandResult SetCdSpeed(const Command& command);
  // Sends `count` sectors from `lba` in the chosen form, as far as the host's buffer reaches.
  CommandResult SendSectors(const Command& command, std::uint32_t lba, std::uint32_t count,
                            std::size_t sectorSize);

  DriveModel model_;
  FirmwareStore firmware_;
  RestartTracker restart_;
  DriveMemory memory_;
  ModePageStore modePages_;
  SpeedModel speed_;
  std::optional<Disc> disc_;
};

}  // namespace korvel::emulator
