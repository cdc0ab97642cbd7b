#include "platform/linux/PosixSignalShield.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace korvel::platform::linux_host {

namespace {

constexpr std::array<int, 3> kHeldSignals = {SIGINT, SIGTERM, SIGHUP};
constexpr unsigned kSignalMask = 0xFFu;
constexpr unsigned kHolding = 0x100u;
constexpr unsigned kAnnounced = 0x200u;

static_assert(std::atomic<unsigned>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");
static_assert(std::atomic<PosixSignalShield*>::is_always_lock_free);

// A signal handler is given nothing but the signal's number, so the shield it reports to can only
// be found through a variable of the program's own. This is the one such variable: set while a
// shield is raised, null otherwise, and never more than one shield at a time.
std::atomic<PosixSignalShield*> raisedShield{nullptr};

sigset_t HeldSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kHeldSignals) sigaddset(&set, signal);
  return set;
}

}  // namespace

PosixSignalShield::PosixSignalShield(const std::string& program)
    : announcement_(program +
                    ": the upgrade cannot be interrupted: the drive would be left without working "
                    "firmware; it goes on until the drive answers again\n") {
  PosixSignalShield* none = nullptr;
  if (!raisedShield.compare_exchange_strong(none, this)) {
    throw std::logic_error("a signal shield is already raised");
  }
  struct sigaction action {};
  action.sa_handler = &PosixSignalShield::OnSignal;
  action.sa_mask = HeldSet();
  // Restarted, a system call that a signal interrupted before the writes (reading an answer, a
  // preparatory command) goes on as if nothing had come; the program stops at HoldFromNow.
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kHeldSignals.size(); ++i) {
    ::sigaction(kHeldSignals[i], &action, &previous_[i]);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, &previousPipe_);
}

PosixSignalShield::~PosixSignalShield() {
  StopWatcher();
  // Signals sent to this thread while it blocked them are taken now, while the handler is still
  // in place: they are held and announced like the others.
  if (masked_) ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
  for (std::size_t i = 0; i < kHeldSignals.size(); ++i) {
    ::sigaction(kHeldSignals[i], &previous_[i], nullptr);
  }
  ::sigaction(SIGPIPE, &previousPipe_, nullptr);
  raisedShield.store(nullptr);
}

bool PosixSignalShield::HoldFromNow() {
  unsigned state = state_.load();
  for (;;) {
    if ((state & kHolding) != 0) return true;
    if ((state & kSignalMask) != 0) return false;
    if (state_.compare_exchange_weak(state, kHolding)) break;
  }
  // A signal for the process goes to a thread that does not block it: the watcher takes it, and
  // the commands of this thread are never interrupted. Without a watcher this thread keeps
  // taking them: they are held all the same.
  if (::pipe2(wakeWatcher_, O_CLOEXEC) != 0) return true;
  try {
    watcher_ = std::thread([fd = wakeWatcher_[0]] {
      // Also when the program blocked them before the shield was raised.
      const sigset_t held = HeldSet();
      ::pthread_sigmask(SIG_UNBLOCK, &held, nullptr);
      char byte = 0;
      while (::read(fd, &byte, 1) < 0 && errno == EINTR) {
      }
    });
  } catch (const std::system_error&) {
    ::close(wakeWatcher_[0]);
    ::close(wakeWatcher_[1]);
    wakeWatcher_[0] = wakeWatcher_[1] = -1;
    return true;
  }
  const sigset_t held = HeldSet();
  masked_ = ::pthread_sigmask(SIG_BLOCK, &held, &previousMask_) == 0;
  return true;
}

int PosixSignalShield::Arrived() const {
  return static_cast<int>(state_.load() & kSignalMask);
}

void PosixSignalShield::StopWatcher() {
  if (!watcher_.joinable()) return;
  // Closing the write end wakes the watcher with end of file.
  ::close(wakeWatcher_[1]);
  watcher_.join();
  ::close(wakeWatcher_[0]);
  wakeWatcher_[0] = wakeWatcher_[1] = -1;
}

void PosixSignalShield::OnSignal(int signal) {
  if (PosixSignalShield* shield = raisedShield.load()) shield->Record(signal);
}

// Runs in the signal handler: atomics and write(2) only.
void PosixSignalShield::Record(int signal) {
  const int savedErrno = errno;
  unsigned state = state_.load();
  unsigned next = 0;
  do {
    next = state;
    if ((state & kSignalMask) == 0) next |= static_cast<unsigned>(signal) & kSignalMask;
    if ((state & kHolding) != 0) next |= kAnnounced;
  } while (!state_.compare_exchange_weak(state, next));
  if ((state & kHolding) != 0 && (state & kAnnounced) == 0) {
    const char* text = announcement_.data();
    std::size_t left = announcement_.size();
    while (left > 0) {
      const ssize_t written = ::write(STDERR_FILENO, text, left);
      if (written < 0 && errno == EINTR) continue;
      // A closed terminal or pipe: nobody is there to read it.
      if (written <= 0) break;
      text += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  errno = savedErrno;
}

std::unique_ptr<SignalShield> RaiseSignalShield(const std::string& program) {
  try {
    return std::make_unique<PosixSignalShield>(program);
  } catch (const std::logic_error&) {
    return nullptr;
  }
}

}  // namespace korvel::platform::linux_host
