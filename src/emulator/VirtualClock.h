// Virtual time for tests: it moves only when someone sleeps or advances it, so the fixed waits
// of an upgrade and a drive's restart cost no real time.
#pragma once

#include <atomic>

#include "emulator/Clock.h"

namespace korvel::emulator {

class VirtualClock : public Clock {
 public:
  explicit VirtualClock(std::uint64_t startMs = 0) : now_(startMs) {}
  std::uint64_t NowMs() override { return now_.load(); }
  void Sleep(std::uint64_t ms) override { now_ += ms; }
  void Advance(std::uint64_t ms) { now_ += ms; }

 private:
  std::atomic<std::uint64_t> now_;
};

}  // namespace korvel::emulator
