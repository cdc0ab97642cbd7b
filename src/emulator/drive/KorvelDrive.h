// An emulated Korvel CD-R/CD-ROM drive: identification, sense, mode pages, the commands on its
// disc, reads of drive memory and vendor status, and the firmware download with its restart.
#pragma once

#include <optional>

#include "emulator/disc/DiscCommands.h"
#include "emulator/drive/DriveMemory.h"
#include "emulator/drive/DriveModel.h"
#include "emulator/drive/EmulatedDevice.h"
#include "emulator/drive/FirmwareStore.h"
#include "emulator/drive/ModePages.h"
#include "emulator/drive/RestartTracker.h"
#include "emulator/drive/SpeedModel.h"
#include "emulator/drive/Tray.h"

namespace korvel::emulator {

class KorvelDrive : public EmulatedDevice {
 public:
  KorvelDrive(const DeviceConfig& config, Clock& clock);

 protected:
  CommandResult Dispatch(const Command& command) override;
  SenseCode IdleSense() override;

 private:
  // Polled only, media class only: the kernel's CD-ROM driver polls it for disc changes.
  CommandResult GetEventStatusNotification(const Command& command);
  CommandResult WriteBuffer(const Command& command);
  // READ DRIVE MEMORY and VENDOR READ 0xF1: bytes of one mapped memory.
  CommandResult ReadMemory(const Command& command, const DriveMemory& memory, std::uint64_t address,
                           std::uint64_t length);
  CommandResult ModeSense(const Command& command, bool tenByte);
  CommandResult ModeSelect(const Command& command, bool tenByte);
  CommandResult Read6(const Command& command);
  CommandResult Read10(const Command& command);
  CommandResult SetCdSpeed(const Command& command);

  DriveModel model_;
  FirmwareStore firmware_;
  RestartTracker restart_;
  DriveMemory memory_;
  DriveMemory vendorMemory_;
  DiscCommands disc_;  // before modePages_, whose block descriptor counts its blocks
  // The eject, the load and the lock that the capabilities page (0x2A) announces; the kernel's
  // CD-ROM driver locks the tray on every open.
  Tray tray_;
  ModePageStore modePages_;
  SpeedModel speed_;
};

}  // namespace korvel::emulator
