// The real Windows machine's power and sleep: kernel32's power status, and the thread's
// execution state that keeps the system from sleeping.
#pragma once

#include <string>

#include "platform/MachinePower.h"

namespace korvel::platform::win32 {

class Win32MachinePower : public MachinePower {
 public:
  PowerReading ReadPower() override;
  // The request belongs to the calling thread (SetThreadExecutionState), and the hold must be
  // destroyed on that thread: the dialog's logic, which takes and ends every flash, runs on one.
  // Windows keeps no name or reason with it, so `who` and `why` go unused.
  HoldResult KeepAwake(const std::string& who, const std::string& why) override;
};

}  // namespace korvel::platform::win32
