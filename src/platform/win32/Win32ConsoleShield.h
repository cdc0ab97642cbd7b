// The signal shield of a Windows console program: Ctrl+C and Ctrl+Break (named SIGINT), and the
// console's closing, logoff and shutdown (named SIGTERM), through a console control handler.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/FlashFacts.h"
#include "platform/InterruptLatch.h"

namespace korvel::platform::win32 {

class Win32ConsoleShield : public SignalShield {
 public:
  // Null when a shield is already raised in this process or the handler cannot be set (a
  // program without a console has nothing to hold). `announcement`: the line written once to
  // stderr when an interrupt is held.
  static std::unique_ptr<SignalShield> Raise(std::string announcement);
  ~Win32ConsoleShield() override;
  Win32ConsoleShield(const Win32ConsoleShield&) = delete;
  Win32ConsoleShield& operator=(const Win32ConsoleShield&) = delete;

  bool HoldFromNow() override { return latch_.HoldFromNow(); }
  int Arrived() const override { return latch_.Arrived(); }

 private:
  explicit Win32ConsoleShield(std::string announcement) : announcement_(std::move(announcement)) {}
  static int __stdcall OnControl(unsigned long event);

  const std::string announcement_;
  InterruptLatch latch_;
};

}  // namespace korvel::platform::win32
