// The drive's restart after it saved new firmware: NOT READY for a while, then one UNIT
// ATTENTION to tell the host that the drive was reset.
#pragma once

#include <cstdint>
#include <optional>

namespace korvel::emulator {

class RestartTracker {
 public:
  explicit RestartTracker(std::uint64_t durationMs) : durationMs_(durationMs) {}

  void Begin(std::uint64_t nowMs) {
    readyAtMs_ = nowMs + durationMs_;
    unitAttentionPending_ = true;
  }
  bool Restarting(std::uint64_t nowMs) const { return readyAtMs_ && nowMs < *readyAtMs_; }
  // True exactly once after a restart has ended.
  bool TakeUnitAttention(std::uint64_t nowMs) {
    if (!unitAttentionPending_ || Restarting(nowMs)) return false;
    unitAttentionPending_ = false;
    readyAtMs_.reset();
    return true;
  }

 private:
  std::uint64_t durationMs_;
  std::optional<std::uint64_t> readyAtMs_;
  bool unitAttentionPending_ = false;
};

}  // namespace korvel::emulator
