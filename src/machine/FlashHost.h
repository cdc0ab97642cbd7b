// What a machine tells and holds around a firmware flash of one of its drives: who else uses
// the drive, what powers the machine, and the holds that keep the drive, the machine and the
// program going until the flash is over. FlashGuards decides from these.
#pragma once

#include <memory>
#include <string>

#include "platform/FlashFacts.h"
#include "transport/DeviceAddress.h"

namespace korvel::machine {

class FlashHost {
 public:
  virtual ~FlashHost() = default;
  // How messages name the drive: its address and, where there are any, its device nodes.
  virtual std::string DriveName(transport::DeviceAddress address) = 0;
  // Mounted file systems and other processes on the drive, as the system shows them now.
  virtual platform::DriveUse UseOf(transport::DeviceAddress address) = 0;
  // True when another Korvel program holds the flash lock of the drive.
  virtual bool FlashedByAnother(transport::DeviceAddress address) = 0;
  // The flash lock every Korvel program honours, and the drive held so that nothing else can
  // reach it, for as long as the hold lives. Refused when another program has either.
  virtual platform::HoldResult HoldDrive(transport::DeviceAddress address) = 0;
  virtual platform::PowerReading ReadPower() = 0;
  // Keeps the machine from suspending, hibernating, shutting down or idling while the hold
  // lives. No hold and a note when the machine cannot be asked; never a refusal.
  virtual platform::HoldResult KeepAwake(const std::string& who, const std::string& why) = 0;
  // Raises the signal shield of this process, which speaks as `program`; null where signals
  // cannot be held.
  virtual std::unique_ptr<platform::SignalShield> ShieldSignals(const std::string& program) = 0;
};

}  // namespace korvel::machine
