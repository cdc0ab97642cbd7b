// The machine's power and sleep against real bus services: run by run_with_mock_bus.py, each
// suite under the bus it names (see CMakeLists.txt), never against the machine's own bus.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/linux/LinuxMachinePower.h"
#include "platform/linux/tests/MockLogind.h"
#include "platform/linux/tests/MockUPower.h"
#include "platform/linux/tests/PowerSupplyTree.h"

namespace korvel::platform::linux_host {
namespace {

using Source = PowerReading::Source;
using testing::Inhibitor;
using testing::MockBusServices;
using testing::MockLogind;
using testing::MockUPower;
using testing::PowerSupplyTree;

const char kWho[] = "korvelfw";
const char kWhy[] = "Flashing the firmware of the drive at 1:0; it must not stop half way";
const std::string kNoteStart =
    "could not ask logind to block suspend and shutdown during the upgrade (";
const std::string kNoteEnd = "); keep the computer on until it has finished";

// A laptop's kernel view, for the cases where the power daemon is not there to say it.
class Fallback {
 public:
  Fallback() {
    tree_.Add("AC", {{"type", "Mains\n"}, {"online", "0\n"}});
    tree_.Add("BAT0", {{"type", "Battery\n"}, {"status", "Discharging\n"}, {"capacity", "12\n"}});
  }
  std::filesystem::path dir() const { return tree_.dir(); }

 private:
  PowerSupplyTree tree_;
};

void ExpectBus(const std::string& services) {
  ASSERT_NE(MockBusServices(), nullptr) << "run this program with run_with_mock_bus.py";
  ASSERT_EQ(MockBusServices(), services) << "run this suite with the bus its comment names";
}

// --services logind,upower

class WithServices : public ::testing::Test {
 protected:
  void SetUp() override {
    ExpectBus("logind,upower");
    logind_.RefuseInhibit("");
    logind_.ClearCalls();
  }
  void TearDown() override { logind_.RefuseInhibit(""); }

  MockLogind logind_;
  Fallback fallback_;
  LinuxMachinePower power_{fallback_.dir()};
};

TEST_F(WithServices, KeepAwakeAsksForOneBlockingInhibitor) {
  HoldResult result = power_.KeepAwake(kWho, kWhy);

  ASSERT_NE(result.hold, nullptr);
  EXPECT_EQ(result.refusal, "");
  EXPECT_TRUE(result.notes.empty());
  const Inhibitor expected{"sleep:shutdown:idle", kWho, kWhy, "block"};
  EXPECT_EQ(logind_.InhibitCalls(), std::vector<Inhibitor>{expected});
  EXPECT_EQ(logind_.HeldInhibitors(), std::vector<Inhibitor>{expected});
}

TEST_F(WithServices, InhibitorIsReleasedWhenTheHoldIsDestroyedAndNotBefore) {
  HoldResult result = power_.KeepAwake(kWho, kWhy);
  ASSERT_NE(result.hold, nullptr);
  // Other calls over the bus, and their connections closing, do not release it.
  power_.ReadPower();
  HoldResult second = power_.KeepAwake("korvel-upgrade", "a second hold");
  second.hold.reset();
  EXPECT_EQ(logind_.HeldInhibitors().size(), 1u);

  result.hold.reset();

  EXPECT_TRUE(logind_.HeldInhibitors().empty());
  EXPECT_EQ(logind_.InhibitCalls().size(), 2u);
}

// What the session manager says is shown, without what a terminal would act on.
TEST_F(WithServices, RefusedInhibitorIsOneNoteAndNoRefusal) {
  logind_.RefuseInhibit("Permission denied\x1b[2J by\npolicy");

  HoldResult result = power_.KeepAwake(kWho, kWhy);

  EXPECT_EQ(result.hold, nullptr);
  EXPECT_EQ(result.refusal, "");
  EXPECT_EQ(result.notes,
            std::vector<std::string>{kNoteStart + "Permission denied?[2J by?policy" + kNoteEnd});
  EXPECT_TRUE(logind_.HeldInhibitors().empty());
}

TEST_F(WithServices, LongRefusalIsCutShort) {
  logind_.RefuseInhibit(std::string(1000, 'r'));

  HoldResult result = power_.KeepAwake(kWho, kWhy);

  ASSERT_EQ(result.notes.size(), 1u);
  EXPECT_EQ(result.notes[0], kNoteStart + std::string(157, 'r') + "..." + kNoteEnd);
}

struct UPowerCase {
  std::string name;
  bool onBattery;
  uint32_t type;
  uint32_t state;
  double percentage;
  bool present;
  Source source;
  int percent;
};

void PrintTo(const UPowerCase& c, std::ostream* os) {
  *os << c.name;
}

const UPowerCase kUPowerCases[] = {
    {"OnBattery12", true, MockUPower::kBattery, MockUPower::kDischarging, 12.0, true,
     Source::Battery, 12},
    // Just under a whole per cent is still under it.
    {"OnBatteryJustUnder25", true, MockUPower::kBattery, MockUPower::kDischarging, 24.9, true,
     Source::Battery, 24},
    {"PendingDischarge", true, MockUPower::kBattery, MockUPower::kPendingDischarge, 30.0, true,
     Source::Battery, 30},
    {"DischargingThoughNotOnBattery", false, MockUPower::kBattery, MockUPower::kDischarging, 40.0,
     true, Source::Battery, 40},
    {"OnAcCharging", false, MockUPower::kBattery, MockUPower::kCharging, 12.0, true, Source::Mains,
     -1},
    {"OnAcFull", false, MockUPower::kBattery, MockUPower::kFullyCharged, 100.0, true, Source::Mains,
     -1},
    {"DesktopWithoutBattery", false, 0, 0, 0.0, false, Source::Mains, -1},
    {"OnBatteryNoDisplayBattery", true, 0, 0, 0.0, false, Source::Battery, -1},
    {"OnBatteryBatteryAbsent", true, MockUPower::kBattery, MockUPower::kDischarging, 50.0, false,
     Source::Battery, -1},
    {"PercentageAbove100", true, MockUPower::kBattery, MockUPower::kDischarging, 250.0, true,
     Source::Battery, -1},
    {"PercentageNegative", true, MockUPower::kBattery, MockUPower::kDischarging, -1.0, true,
     Source::Battery, -1},
};

class UPowerOnBus : public ::testing::TestWithParam<UPowerCase> {
 protected:
  void SetUp() override { ExpectBus("logind,upower"); }
  MockUPower upower_;
  Fallback fallback_;
  LinuxMachinePower power_{fallback_.dir()};
};

TEST_P(UPowerOnBus, ReadsTheDisplayDevice) {
  const UPowerCase& c = GetParam();
  upower_.SetOnBattery(c.onBattery);
  upower_.SetDisplayDevice(c.type, c.state, c.percentage, c.present);

  const PowerReading reading = power_.ReadPower();

  EXPECT_EQ(reading.source, c.source);
  EXPECT_EQ(reading.percent, c.percent);
  EXPECT_EQ(reading.origin, "UPower");
}

INSTANTIATE_TEST_SUITE_P(Cases, UPowerOnBus, ::testing::ValuesIn(kUPowerCases),
                         [](const ::testing::TestParamInfo<UPowerCase>& info) {
                           return info.param.name;
                         });

// run_with_mock_bus.py with no services: a bus without logind or the power daemon.

TEST(EmptyBus, KeepAwakeGivesNoHoldAndOneNote) {
  ExpectBus("");
  Fallback fallback;
  LinuxMachinePower power(fallback.dir());

  HoldResult result = power.KeepAwake(kWho, kWhy);

  EXPECT_EQ(result.hold, nullptr);
  EXPECT_EQ(result.refusal, "");
  EXPECT_EQ(result.notes,
            std::vector<std::string>{kNoteStart +
                                     "The name org.freedesktop.login1 was not provided by any "
                                     ".service files" +
                                     kNoteEnd});
}

TEST(EmptyBus, ReadPowerAsksTheKernel) {
  ExpectBus("");
  Fallback fallback;
  LinuxMachinePower power(fallback.dir());

  const PowerReading reading = power.ReadPower();

  EXPECT_EQ(reading.source, Source::Battery);
  EXPECT_EQ(reading.percent, 12);
  EXPECT_EQ(reading.origin, fallback.dir().string());
}

// run_with_mock_bus.py --no-bus

TEST(NoBus, KeepAwakeGivesNoHoldAndOneNote) {
  ExpectBus("none");
  Fallback fallback;
  LinuxMachinePower power(fallback.dir());

  HoldResult result = power.KeepAwake(kWho, kWhy);

  EXPECT_EQ(result.hold, nullptr);
  EXPECT_EQ(result.refusal, "");
  EXPECT_EQ(result.notes, std::vector<std::string>{
                              kNoteStart + "no system bus: No such file or directory" + kNoteEnd});
}

TEST(NoBus, ReadPowerAsksTheKernel) {
  ExpectBus("none");
  Fallback fallback;
  LinuxMachinePower power(fallback.dir());

  const PowerReading reading = power.ReadPower();

  EXPECT_EQ(reading.source, Source::Battery);
  EXPECT_EQ(reading.percent, 12);
  EXPECT_EQ(reading.origin, fallback.dir().string());
}

}  // namespace
}  // namespace korvel::platform::linux_host
