// The signal shield of a POSIX process: interrupt, terminate and hang-up are caught and
// remembered instead of ending the program, and a broken pipe or a terminal that went away
// cannot end it either (writes then fail with EPIPE or EIO instead).
#pragma once

#include <signal.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/FlashFacts.h"

namespace korvel::platform::linux_host {

class PosixSignalShield : public SignalShield {
 public:
  // `program` names the program in the announcement ("korvelfw", "korvel-upgrade"). Only one
  // shield may be raised at a time in a process: a second one throws std::logic_error.
  explicit PosixSignalShield(const std::string& program);
  // Puts back the dispositions that were there before, SIGPIPE's too.
  ~PosixSignalShield() override;
  PosixSignalShield(const PosixSignalShield&) = delete;
  PosixSignalShield& operator=(const PosixSignalShield&) = delete;

  // To be called, and the shield destroyed, on the thread that sends the commands to the drive:
  // from here on that thread never takes the signals itself, so that none interrupts a command
  // in the kernel (an interrupted SG_IO is abandoned and would be sent again when restarted).
  bool HoldFromNow() override;
  int Arrived() const override;

  // What the first signal held says on stderr.
  const std::string& announcement() const { return announcement_; }

 private:
  static void OnSignal(int signal);
  void Record(int signal);
  void StopWatcher();

  const std::string announcement_;
  // The first signal's number in the low byte, and whether signals are held and whether that
  // was said, in one word, so that the handler and HoldFromNow see each other's changes whole.
  std::atomic<unsigned> state_{0};
  std::array<struct sigaction, 3> previous_{};
  struct sigaction previousPipe_ {};
  sigset_t previousMask_{};
  bool masked_ = false;
  // A thread of the shield's own that takes the signals while the commanding thread blocks them.
  std::thread watcher_;
  int wakeWatcher_[2] = {-1, -1};
};

// The shield of this process, or null while another one is raised.
std::unique_ptr<SignalShield> RaiseSignalShield(const std::string& program);

}  // namespace korvel::platform::linux_host
