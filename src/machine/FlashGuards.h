// The guards around a flash, in the order they are checked: enough power, no other Korvel
// program flashing the drive, no mounted file system on it, no other process using it; then
// the holds for the flash's span (the drive alone, the machine awake, signals held). Both
// programs give the dialog's logic one of these; the machine supplies the facts.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "machine/FlashHost.h"
#include "upgrade/FlashGuard.h"

namespace korvel::machine {

// Below this charge, on battery, a flash is refused unless the user says otherwise.
inline constexpr int kLowestBatteryPercent = 25;
// How long a drive may stay in another process's hands before the flash is refused: a second
// Korvel program that lost the race for the drive lets go of it at once.
inline constexpr std::chrono::milliseconds kInUseGrace{3000};
inline constexpr std::chrono::milliseconds kInUseRetry{100};

struct FlashGuardOptions {
  // The program's name, as the session manager and the messages show it.
  std::string program;
  // --ignore-power: flash on a low battery too.
  bool ignorePower = false;
  // Where the notes go (what could not be checked or held, but need not stop the flash).
  std::function<void(const std::string&)> note;
  // Waits between two looks at a drive in use; the real clock when not given.
  std::function<void(std::chrono::milliseconds)> sleep;
};

class FlashGuards : public upgrade::FlashGuard {
 public:
  FlashGuards(FlashHost& host, FlashGuardOptions options);

  std::vector<std::string> Preview(transport::DeviceAddress address) override;
  upgrade::FlashHoldResult Hold(transport::DeviceAddress address) override;

 private:
  std::string PowerRefusal();
  // The refusals that the drive's use gives; what could not be checked goes to the notes.
  std::vector<std::string> UseRefusals(transport::DeviceAddress address,
                                       const platform::DriveUse& use);
  void Note(const std::string& text);

  FlashHost& host_;
  FlashGuardOptions options_;
};

}  // namespace korvel::machine
