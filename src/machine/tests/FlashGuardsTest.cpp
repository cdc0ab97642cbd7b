#include "machine/FlashGuards.h"

#include <gtest/gtest.h>

#include "FakeFlashHost.h"

namespace korvel::machine {
namespace {

using platform::DriveUse;
using platform::PowerReading;
using testing::FakeFlashHost;

constexpr transport::DeviceAddress kDrive{1, 0};

// The guards' options with the waits taken at once.
FlashGuardOptions Options(std::string program, bool ignorePower = false,
                          std::function<void(const std::string&)> note = {}) {
  return FlashGuardOptions{std::move(program), ignorePower, std::move(note),
                           [](std::chrono::milliseconds) {}};
}

PowerReading Battery(int percent) {
  return PowerReading{PowerReading::Source::Battery, percent, "UPower"};
}

struct RefusalCase {
  const char* name;
  PowerReading power;
  bool flashedByAnother;
  DriveUse use;
  bool ignorePower;
  // What Hold refuses with; empty: it holds.
  const char* refusal;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
  *out << c.name;
}

const RefusalCase kRefusals[] = {
    {"BatteryBelowAQuarter",
     Battery(24),
     false,
     {},
     false,
     "the computer runs on battery with 24% left (UPower), too little to flash a drive safely: a "
     "flash needs at least 25%; connect the computer to mains power, or use --ignore-power to "
     "flash anyway"},
    {"BatteryAtAQuarter", Battery(25), false, {}, false, ""},
    {"BatteryOfUnknownCharge", Battery(-1), false, {}, false, ""},
    {"MainsPower", PowerReading{PowerReading::Source::Mains, 3, "x"}, false, {}, false, ""},
    {"LowBatteryIgnored", Battery(2), false, {}, true, ""},
    {"AnotherFlash",
     {},
     true,
     {{"/media/cd"}, {}, false},
     false,
     "drive 1:0 (/dev/sg3, /dev/sr1) is being flashed by another program; wait until it has "
     "finished"},
    {"Mounted",
     {},
     false,
     {{"/media/user/DISC 1", "/mnt"}, {{12, "wodim"}}, false},
     false,
     "drive 1:0 (/dev/sg3, /dev/sr1) has a file system mounted at /media/user/DISC 1 and /mnt; "
     "unmount it (umount /media/user/DISC 1) before you flash the drive"},
    {"InUse",
     {},
     false,
     {{}, {{4242, "wodim"}, {77, ""}, {9, "cd\x1b]0;x"}}, false},
     false,
     "drive 1:0 (/dev/sg3, /dev/sr1) is in use by PID 4242 (wodim), PID 77 and PID 9 "
     "(cd\\x1B]0;x); close those programs before you flash the drive"},
    {"InUseByOne",
     {},
     false,
     {{}, {{5, "cdrdao"}}, false},
     false,
     "drive 1:0 (/dev/sg3, /dev/sr1) is in use by PID 5 (cdrdao); close that program before you "
     "flash the drive"},
    {"OthersUncheckedOnly", {}, false, {{}, {}, true}, false, ""},
};

class FlashGuardRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(FlashGuardRefusalTest, HoldRefusesWithTheTextAndPreviewSaysTheSame) {
  const RefusalCase& c = GetParam();
  FakeFlashHost host;
  host.power = c.power;
  host.flashedByAnother = c.flashedByAnother;
  host.uses = {c.use};
  std::vector<std::string> notes;
  FlashGuardOptions options{"korvelfw", c.ignorePower,
                            [&notes](const std::string& note) { notes.push_back(note); },
                            [](std::chrono::milliseconds) {}};
  FlashGuards guards(host, options);

  const std::vector<std::string> preview = guards.Preview(kDrive);
  upgrade::FlashHoldResult held = guards.Hold(kDrive);
  EXPECT_EQ(held.refusal, c.refusal);
  EXPECT_EQ(held.hold == nullptr, *c.refusal != '\0');
  if (*c.refusal == '\0') {
    EXPECT_TRUE(preview.empty()) << preview.front();
  } else {
    ASSERT_FALSE(preview.empty());
    EXPECT_EQ(preview.front(), c.refusal);
  }
  if (c.use.othersUnchecked) {
    // Once for the preview, once for the hold.
    EXPECT_EQ(notes, std::vector<std::string>(
                         2,
                         "the processes of other users could not be checked for drive 1:0 "
                         "(/dev/sg3, /dev/sr1); make sure that no other user's program is "
                         "using it (run as root to check them all)"));
  }
}

INSTANTIATE_TEST_SUITE_P(Guards, FlashGuardRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FlashGuardsTest, PreviewNamesEveryGuardThatWouldRefuse) {
  FakeFlashHost host;
  host.power = Battery(10);
  host.uses = {DriveUse{{"/mnt"}, {{3, "a"}}, false}};
  FlashGuards guards(host, Options("korvelfw"));
  const std::vector<std::string> preview = guards.Preview(kDrive);
  ASSERT_EQ(preview.size(), 3u);
  EXPECT_EQ(preview[0].substr(0, 37), "the computer runs on battery with 10%");
  EXPECT_EQ(preview[1].substr(0, 48), "drive 1:0 (/dev/sg3, /dev/sr1) has a file system");
  EXPECT_EQ(preview[2].substr(0, 41), "drive 1:0 (/dev/sg3, /dev/sr1) is in use ");
  // A preview takes nothing.
  EXPECT_EQ(host.log, (std::vector<std::string>{"power", "lock?", "use"}));
}

TEST(FlashGuardsTest, HoldChecksInOrderThenHoldsAndLetsGoWithTheShieldLast) {
  FakeFlashHost host;
  host.awakeNotes = {"could not ask logind"};
  std::vector<std::string> notes;
  FlashGuards guards(
      host, Options("korvel-upgrade", false, [&notes](auto& note) { notes.push_back(note); }));
  upgrade::FlashHoldResult held = guards.Hold(kDrive);
  ASSERT_NE(held.hold, nullptr) << held.refusal;
  EXPECT_EQ(notes, std::vector<std::string>{"could not ask logind"});
  EXPECT_TRUE(held.hold->BeginWriting());
  host.signal = 15;
  EXPECT_EQ(held.hold->HeldSignal(), 15);
  held.hold.reset();
  EXPECT_EQ(host.log,
            (std::vector<std::string>{
                "power", "lock?", "use", "hold drive", "use",
                "awake korvel-upgrade: Flashing the firmware of drive 1:0 (/dev/sg3, /dev/sr1); "
                "stopping half way can leave the drive unusable",
                "shield korvel-upgrade", "hold signals", "drive let go", "awake let go",
                "shield lowered"}));
}

TEST(FlashGuardsTest, ADriveRefusalTakesNeitherTheMachineNorTheSignals) {
  FakeFlashHost host;
  host.driveRefusal = "drive 1:0 is busy";
  host.driveNotes = {"the lock could not be taken"};
  std::vector<std::string> notes;
  FlashGuards guards(host,
                     Options("korvelfw", false, [&notes](auto& note) { notes.push_back(note); }));
  const upgrade::FlashHoldResult held = guards.Hold(kDrive);
  EXPECT_EQ(held.hold, nullptr);
  EXPECT_EQ(held.refusal, "drive 1:0 is busy");
  EXPECT_EQ(notes, std::vector<std::string>{"the lock could not be taken"});
  EXPECT_EQ(host.log, (std::vector<std::string>{"power", "lock?", "use", "hold drive"}));
}

TEST(FlashGuardsTest, WithoutAShieldOrAWakeRequestTheFlashStillGoes) {
  FakeFlashHost host;
  host.shieldGiven = false;
  host.awakeGiven = false;
  FlashGuards guards(host, Options("korvelfw"));
  upgrade::FlashHoldResult held = guards.Hold(kDrive);
  ASSERT_NE(held.hold, nullptr);
  EXPECT_TRUE(held.hold->BeginWriting());
  EXPECT_EQ(held.hold->HeldSignal(), 0);
}

TEST(FlashGuardsTest, ASignalBeforeTheFirstWriteStopsIt) {
  FakeFlashHost host;
  host.signalBeforeWriting = true;
  FlashGuards guards(host, Options("korvelfw"));
  upgrade::FlashHoldResult held = guards.Hold(kDrive);
  ASSERT_NE(held.hold, nullptr);
  EXPECT_FALSE(held.hold->BeginWriting());
}

// Another process on the drive may be letting go of it; a mounted disc is not waited for. The
// first look is before the drive is held, the others after.
TEST(FlashGuardsTest, AProcessOnTheDriveIsWaitedForUpToThreeSeconds) {
  const DriveUse busy{{}, {{99, "korvelfw"}}, false};
  struct Case {
    std::vector<DriveUse> uses;
    bool held;
    int sleeps;
  } cases[] = {
      {{DriveUse{}, busy, busy, DriveUse{}}, true, 2},
      {{busy}, false, 30},
      {{DriveUse{{"/mnt"}, {{99, "x"}}, false}}, false, 0},
  };
  for (const Case& c : cases) {
    FakeFlashHost host;
    host.uses = c.uses;
    int sleeps = 0;
    std::chrono::milliseconds slept{0};
    FlashGuards guards(
        host, FlashGuardOptions{"korvelfw", false, {}, [&](std::chrono::milliseconds wait) {
                                  ++sleeps;
                                  slept += wait;
                                }});
    const upgrade::FlashHoldResult held = guards.Hold(kDrive);
    EXPECT_EQ(held.hold != nullptr, c.held) << held.refusal;
    EXPECT_EQ(sleeps, c.sleeps);
    EXPECT_EQ(slept, std::chrono::milliseconds(100 * c.sleeps));
  }
}

}  // namespace
}  // namespace korvel::machine
