// Real time, for the demo and interactive use of the simulated PC.
#pragma once

#include <chrono>
#include <thread>

#include "emulator/Clock.h"

namespace korvel::emulator {

class RealClock : public Clock {
 public:
  std::uint64_t NowMs() override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - start_)
                                          .count());
  }
  void Sleep(std::uint64_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace korvel::emulator
