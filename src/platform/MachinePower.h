// The machine's power and sleep as a flash needs them: what powers it now, and a request that
// it neither suspends, hibernates, shuts down nor idles until the hold is destroyed.
#pragma once

#include <string>

#include "platform/FlashFacts.h"

namespace korvel::platform {

class MachinePower {
 public:
  virtual ~MachinePower() = default;
  // Unknown when nothing on the machine says.
  virtual PowerReading ReadPower() = 0;
  // `who`: the program asking; `why`: what it is doing. No hold and a note when the machine
  // cannot be asked (no system bus, no session manager); never a refusal.
  virtual HoldResult KeepAwake(const std::string& who, const std::string& why) = 0;
};

}  // namespace korvel::platform
