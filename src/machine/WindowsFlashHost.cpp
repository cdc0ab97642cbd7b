#include "machine/WindowsFlashHost.h"

#include <string>
#include <utility>

#include "machine/FlashGuardTexts.h"
#include "platform/win32/Win32ConsoleShield.h"
#include "platform/win32/Win32NamedLock.h"

namespace korvel::machine {

std::string WindowsFlashLockName(transport::DeviceAddress address) {
  // Global, not Local: the drive belongs to the machine, so a program in another user's session
  // must see the lock too. A mutex, unlike a file mapping, needs no privilege to be made there.
  return "Global\\KorvelFlash-" + std::to_string(address.adapter) + "-" +
         std::to_string(address.target);
}

std::string WindowsFlashHost::DriveName(transport::DeviceAddress address) {
  return std::to_string(address.adapter) + ":" + std::to_string(address.target);
}

bool WindowsFlashHost::FlashedByAnother(transport::DeviceAddress address) {
  return platform::win32::NamedLockHeldByAnother(WindowsFlashLockName(address));
}

platform::HoldResult WindowsFlashHost::HoldDrive(transport::DeviceAddress address) {
  platform::win32::NamedLockResult lock =
      platform::win32::TakeNamedLock(WindowsFlashLockName(address));
  platform::HoldResult result;
  if (lock.hold) {
    result.hold = std::move(lock.hold);
  } else if (lock.heldByAnother) {
    result.refusal = FlashedByAnotherText(DriveName(address));
  } else {
    // A lock that cannot be made at all cannot be made by another Korvel program either; the
    // user is told what is left unguarded.
    result.notes.push_back("could not take the flash lock of drive " + DriveName(address) +
                           " (Windows error " + std::to_string(lock.error) +
                           "); make sure that no other program is flashing it");
  }
  return result;
}

std::unique_ptr<platform::SignalShield> WindowsFlashHost::ShieldSignals(
    const std::string& program) {
  return platform::win32::Win32ConsoleShield::Raise(
      program +
      ": the upgrade cannot be interrupted: the drive would be left without working firmware; "
      "it goes on until the drive answers again");
}

}  // namespace korvel::machine
