// Time as the emulated devices and the simulated PC see it: real time for the demo, virtual
// time that tests run forward without waiting.
#pragma once

#include <cstdint>

namespace korvel::emulator {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t NowMs() = 0;
  // Lets `ms` milliseconds pass (a real sleep, or a step of virtual time).
  virtual void Sleep(std::uint64_t ms) = 0;
};

}  // namespace korvel::emulator
