#include "platform/InterruptLatch.h"

namespace korvel::platform {

InterruptLatch::Action InterruptLatch::Arrive(int signal) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (arrived_ == 0) arrived_ = signal;
  if (!holding_) return Action::Stop;
  if (announced_) return Action::Ignore;
  announced_ = true;
  return Action::Announce;
}

bool InterruptLatch::HoldFromNow() {
  // One lock for the question and the answer: an interrupt that races the first write either
  // stops the flash or is held, never both.
  std::lock_guard<std::mutex> lock(mutex_);
  if (arrived_ != 0) return false;
  holding_ = true;
  return true;
}

int InterruptLatch::Arrived() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return arrived_;
}

}  // namespace korvel::platform
