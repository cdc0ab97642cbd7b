// The tray of a tray-loading drive: open or closed, the disc lying on it, the lock a host sets
// with PREVENT ALLOW MEDIUM REMOVAL, and what a move leaves to report once: the UNIT ATTENTION
// of a loaded disc and the media event of GET EVENT STATUS NOTIFICATION.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/Command.h"

namespace korvel::emulator {

// Media event codes of the media event descriptor.
enum class MediaEvent : std::uint8_t { NoChange = 0, NewMedia = 2, MediaRemoval = 3 };

class Tray {
 public:
  // `discOnTray`: the configured disc, which stays on the tray while it is open.
  Tray(bool discOnTray, bool open) : discOnTray_(discOnTray), open_(open) {}

  CommandResult StartStopUnit(const Command& command);
  CommandResult PreventAllowMediumRemoval(const Command& command);

  bool open() const { return open_; }
  bool locked() const { return locked_; }
  // A disc the drive can read: on the tray, and the tray closed.
  bool DiscLoaded() const { return discOnTray_ && !open_; }
  // How a command that needs a disc is refused when none is loaded.
  SenseCode NotPresentSense() const;

  // True once after a close loaded a disc.
  bool TakeUnitAttention();
  // The media event not yet reported (the latest replaces an earlier one), then NoChange.
  MediaEvent PeekMediaEvent() const { return event_; }
  void MediaEventReported() { event_ = MediaEvent::NoChange; }

  // A reset of the drive releases the lock, as a power cycle would.
  void Reset() { locked_ = false; }

 private:
  std::optional<SenseCode> Eject();
  void Load();

  bool discOnTray_;
  bool open_;
  bool locked_ = false;
  bool unitAttentionPending_ = false;
  MediaEvent event_ = MediaEvent::NoChange;
};

}  // namespace korvel::emulator
