#include "platform/linux/PosixSignalShield.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace korvel::platform::linux_host {
namespace {

// Each case runs in a child of its own, where signals may end the process.
class PosixSignalShieldTest : public ::testing::Test {
 protected:
  PosixSignalShieldTest() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

const char kAnnouncement[] =
    "korvelfw: the upgrade cannot be interrupted: the drive would be left without working "
    "firmware; it goes on until the drive answers again\n";

TEST_F(PosixSignalShieldTest, SignalsDuringTheWritesAreHeldAndAnnouncedOnce) {
  EXPECT_EXIT(
      {
        int code = 0;
        {
          PosixSignalShield shield("korvelfw");
          if (!shield.HoldFromNow()) std::_Exit(10);
          ::kill(::getpid(), SIGTERM);  // to the process, as kill(1) sends it
          ::raise(SIGTERM);             // to this thread
          ::kill(::getpid(), SIGHUP);
          ::raise(SIGINT);
          if (!shield.HoldFromNow()) code = 11;  // holding stays holding
        }
        std::_Exit(code);
      },
      ::testing::ExitedWithCode(0), ::testing::Eq(kAnnouncement));
}

// A signal for the process reaches the shield's watcher while the commanding thread goes on.
TEST_F(PosixSignalShieldTest, TheFirstSignalIsTheOneThatArrived) {
  EXPECT_EXIT(
      {
        int arrived = 0;
        {
          PosixSignalShield shield("korvel-upgrade");
          if (!shield.HoldFromNow()) std::_Exit(10);
          ::kill(::getpid(), SIGHUP);
          while (shield.Arrived() == 0) ::sched_yield();
          ::kill(::getpid(), SIGTERM);
          arrived = shield.Arrived();
        }
        std::_Exit(arrived == SIGHUP ? 0 : 12);
      },
      ::testing::ExitedWithCode(0),
      ::testing::Eq("korvel-upgrade: the upgrade cannot be interrupted: the drive would be left "
                    "without working firmware; it goes on until the drive answers again\n"));
}

// poll(2), like an SG_IO waiting for the drive, is cut short by a signal its thread takes,
// whatever SA_RESTART says; the holding thread must never take one. The exit status: 0 when the
// poll saw the wake-up, 20 when a signal cut it short.
[[noreturn]] void PollWhileASignalComes() {
  int result = 0;
  {
    PosixSignalShield shield("korvelfw");
    if (!shield.HoldFromNow()) std::_Exit(10);
    int wake[2];
    if (::pipe(wake) != 0) std::_Exit(14);
    std::thread sender([&] {
      ::kill(::getpid(), SIGTERM);
      while (shield.Arrived() == 0) ::sched_yield();
      (void)::write(wake[1], "x", 1);
    });
    pollfd wait{};
    wait.fd = wake[0];
    wait.events = POLLIN;
    result = ::poll(&wait, 1, -1);
    sender.join();
  }
  std::_Exit(result == 1 ? 0 : 20);
}

TEST_F(PosixSignalShieldTest, TheHoldingThreadIsNeverInterrupted) {
  EXPECT_EXIT(PollWhileASignalComes(), ::testing::ExitedWithCode(0), ::testing::Eq(kAnnouncement));
}

TEST_F(PosixSignalShieldTest, ASignalBeforeTheWritesStopsThemWithNothingSaid) {
  EXPECT_EXIT(
      {
        PosixSignalShield shield("korvelfw");
        ::raise(SIGINT);
        ::raise(SIGTERM);
        if (shield.Arrived() != SIGINT) std::_Exit(12);
        std::_Exit(shield.HoldFromNow() ? 13 : 0);
      },
      ::testing::ExitedWithCode(0), ::testing::Eq(""));
}

TEST_F(PosixSignalShieldTest, ABrokenPipeDoesNotEndTheProgramAndTheWriteFails) {
  EXPECT_EXIT(
      {
        PosixSignalShield shield("korvelfw");
        int pipe[2];
        if (::pipe(pipe) != 0) std::_Exit(14);
        ::close(pipe[0]);
        const bool failed = ::write(pipe[1], "x", 1) < 0 && errno == EPIPE;
        std::_Exit(failed && shield.Arrived() == 0 ? 0 : 15);
      },
      ::testing::ExitedWithCode(0), ::testing::Eq(""));
}

TEST_F(PosixSignalShieldTest, OnceLoweredSignalsEndTheProgramAgain) {
  EXPECT_EXIT(
      {
        { PosixSignalShield shield("korvelfw"); }
        ::raise(SIGTERM);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGTERM), ::testing::Eq(""));
  EXPECT_EXIT(
      {
        {
          PosixSignalShield shield("korvelfw");
          shield.HoldFromNow();
        }
        ::raise(SIGHUP);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGHUP), ::testing::Eq(""));
  EXPECT_EXIT(
      {
        { PosixSignalShield shield("korvelfw"); }
        int pipe[2];
        if (::pipe(pipe) != 0) std::_Exit(14);
        ::close(pipe[0]);
        (void)::write(pipe[1], "x", 1);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGPIPE), ::testing::Eq(""));
}

TEST_F(PosixSignalShieldTest, OnlyOneShieldAtATime) {
  PosixSignalShield shield("korvelfw");
  EXPECT_THROW(PosixSignalShield("korvelfw"), std::logic_error);
  EXPECT_EQ(shield.announcement(), kAnnouncement);
}

}  // namespace
}  // namespace korvel::platform::linux_host
