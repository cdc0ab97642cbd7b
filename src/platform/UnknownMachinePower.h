// A machine whose power nobody can be asked about: the reading is Unknown and no request to stay
// awake is taken. Stands in where the system's own power services are not reached.
#pragma once

#include <string>

#include "platform/MachinePower.h"

namespace korvel::platform {

class UnknownMachinePower : public MachinePower {
 public:
  PowerReading ReadPower() override { return {}; }
  HoldResult KeepAwake(const std::string&, const std::string&) override {
    HoldResult result;
    result.notes.push_back("could not ask the system to stay awake");
    return result;
  }
};

}  // namespace korvel::platform
