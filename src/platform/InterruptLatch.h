// What a signal shield decides for each interrupt that reaches the program, on any system:
// before the flash's first write the interrupt is kept, so that the flash does not begin; from
// then on it is announced once and otherwise let go by. Interrupts may arrive on another thread
// (a signal, a console's control thread) while the flash asks.
#pragma once

#include <mutex>

namespace korvel::platform {

class InterruptLatch {
 public:
  enum class Action {
    // Not held yet: the program is to stop before anything is written.
    Stop,
    // Held, and the first time: say that the upgrade cannot be interrupted.
    Announce,
    // Held, and already said.
    Ignore,
  };

  // `signal`: the number the program names the interrupt by (SIGINT, SIGTERM ...).
  Action Arrive(int signal);
  // From now on interrupts are held. False when one came before: the flash must not begin.
  bool HoldFromNow();
  // The first interrupt since the latch was made; 0 when none.
  int Arrived() const;

 private:
  mutable std::mutex mutex_;
  int arrived_ = 0;
  bool holding_ = false;
  bool announced_ = false;
};

}  // namespace korvel::platform
