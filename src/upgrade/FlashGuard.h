// The checks and holds around a flash that the dialog's logic asks for just before the first
// WRITE BUFFER, and at Load File to tell the user early. A machine that guards nothing gives
// none, and the Upgrade button then works as it always did.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "transport/DeviceAddress.h"

namespace korvel::upgrade {

// Everything a flash holds, released when destroyed.
class FlashHold {
 public:
  virtual ~FlashHold() = default;
  // Called just before the first WRITE BUFFER: false when the program was asked to end, and
  // nothing may be sent. From true on, such requests are held until the hold is destroyed.
  virtual bool BeginWriting() = 0;
  // The signal that was held during the writes; 0 when none.
  virtual int HeldSignal() const = 0;
};

struct FlashHoldResult {
  std::unique_ptr<FlashHold> hold;  // null when refused
  std::string refusal;              // the whole text for the user, when refused
};

class FlashGuard {
 public:
  virtual ~FlashGuard() = default;
  // What would refuse a flash of the drive at `address` now, one text each; empty when nothing
  // would. Holds nothing.
  virtual std::vector<std::string> Preview(transport::DeviceAddress address) = 0;
  // Checks again and takes every hold for the flash.
  virtual FlashHoldResult Hold(transport::DeviceAddress address) = 0;
};

}  // namespace korvel::upgrade
