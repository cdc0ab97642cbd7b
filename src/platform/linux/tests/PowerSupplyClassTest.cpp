#include "platform/linux/PowerSupplyClass.h"

#include "platform/linux/tests/PowerSupplyTree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace korvel::platform::linux_host {
namespace {

namespace fs = std::filesystem;
using Source = PowerReading::Source;

using Attributes = std::map<std::string, std::string>;
using testing::PowerSupplyTree;

struct Supply {
  std::string name;
  Attributes attributes;
};

struct Case {
  std::string name;
  std::vector<Supply> supplies;
  Source source;
  int percent;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

const Attributes kAcOnline = {{"type", "Mains\n"}, {"online", "1\n"}};
const Attributes kAcOffline = {{"type", "Mains\n"}, {"online", "0\n"}};

Attributes Battery(const std::string& status, const std::string& capacity) {
  return {{"type", "Battery\n"}, {"status", status + "\n"}, {"capacity", capacity}};
}

const Case kCases[] = {
    {"LaptopDischarging",
     {{"AC", kAcOffline}, {"BAT0", Battery("Discharging", "12\n")}},
     Source::Battery,
     12},
    {"LaptopCharging",
     {{"AC", kAcOnline}, {"BAT0", Battery("Charging", "12\n")}},
     Source::Mains,
     -1},
    {"ChargingWithoutMainsEntry", {{"BAT0", Battery("Charging", "40\n")}}, Source::Mains, -1},
    // Some firmware reports its battery discharging while the charger is plugged in.
    {"MainsOnlineBatteryDischarging",
     {{"AC", kAcOnline}, {"BAT0", Battery("Discharging", "5\n")}},
     Source::Mains,
     -1},
    {"UsbSupplyOnline",
     {{"ucsi-source-psy-USBC000:001", {{"type", "USB\n"}, {"online", "1\n"}}},
      {"BAT0", Battery("Discharging", "5\n")}},
     Source::Mains,
     -1},
    {"OnlyMouseBattery",
     {{"hidpp_battery_0",
       {{"type", "Battery\n"},
        {"scope", "Device\n"},
        {"status", "Discharging\n"},
        {"capacity", "3\n"}}}},
     Source::Unknown,
     -1},
    {"MouseBatteryBesideLaptopBattery",
     {{"BAT0", Battery("Discharging", "80\n")},
      {"hidpp_battery_0",
       {{"type", "Battery\n"},
        {"scope", "Device\n"},
        {"status", "Discharging\n"},
        {"capacity", "3\n"}}}},
     Source::Battery,
     80},
    {"FullWithoutMainsEntry", {{"BAT0", Battery("Full", "100\n")}}, Source::Mains, -1},
    {"StatusUnknown", {{"BAT0", Battery("Unknown", "50\n")}}, Source::Unknown, -1},
    {"DesktopMainsOnline", {{"AC", kAcOnline}}, Source::Mains, -1},
    {"DesktopMainsOffline", {{"AC", kAcOffline}}, Source::Unknown, -1},
    {"GarbageCapacity", {{"BAT0", Battery("Discharging", "abc\n")}}, Source::Battery, -1},
    {"CapacityAbove100", {{"BAT0", Battery("Discharging", "250\n")}}, Source::Battery, -1},
    {"NegativeCapacity", {{"BAT0", Battery("Discharging", "-3\n")}}, Source::Battery, -1},
    {"CapacityWithTrailingText",
     {{"BAT0", Battery("Discharging", "12abc\n")}},
     Source::Battery,
     -1},
    {"MissingCapacity",
     {{"BAT0", {{"type", "Battery\n"}, {"status", "Discharging\n"}}}},
     Source::Battery,
     -1},
    {"HugeCapacityFile",
     {{"BAT0", Battery("Discharging", "1" + std::string(1 << 20, '0') + "\n")}},
     Source::Battery,
     -1},
    {"HugeStatusFile",
     {{"BAT0", Battery(std::string(1 << 20, 'x') + "Discharging", "12\n")}},
     Source::Unknown,
     -1},
    {"MissingStatus",
     {{"BAT0", {{"type", "Battery\n"}, {"capacity", "50\n"}}}},
     Source::Unknown,
     -1},
    {"MissingType",
     {{"BAT0", {{"status", "Discharging\n"}, {"capacity", "50\n"}}}},
     Source::Unknown,
     -1},
    // 30 + 10 Wh left of 50 + 50 Wh: 40 %; the capacities' mean would say 50.
    {"TwoBatteriesByEnergy",
     {{"BAT0",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "70\n"},
        {"energy_now", "30000000\n"},
        {"energy_full", "50000000\n"}}},
      {"BAT1",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "30\n"},
        {"energy_now", "10000000\n"},
        {"energy_full", "50000000\n"}}}},
     Source::Battery,
     40},
    // 2.4 + 0.5 Ah of 4 + 1 Ah: 58 %; the capacities' mean would say 55.
    {"TwoBatteriesByCharge",
     {{"BAT0",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "60\n"},
        {"charge_now", "2400000\n"},
        {"charge_full", "4000000\n"}}},
      {"BAT1",
       {{"type", "Battery\n"},
        {"status", "Not charging\n"},
        {"capacity", "50\n"},
        {"charge_now", "500000\n"},
        {"charge_full", "1000000\n"}}}},
     Source::Battery,
     58},
    {"TwoBatteriesByCapacity",
     {{"BAT0", Battery("Discharging", "61\n")}, {"BAT1", Battery("Not charging", "20\n")}},
     Source::Battery,
     40},
    {"TwoBatteriesOneCapacityUnknown",
     {{"BAT0", Battery("Discharging", "61\n")}, {"BAT1", Battery("Not charging", "x\n")}},
     Source::Battery,
     -1},
    // Energy of one battery and charge of the other cannot be added up.
    {"TwoBatteriesMixedUnits",
     {{"BAT0",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "30\n"},
        {"energy_now", "30000000\n"},
        {"energy_full", "50000000\n"}}},
      {"BAT1",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "10\n"},
        {"charge_now", "500000\n"},
        {"charge_full", "1000000\n"}}}},
     Source::Battery,
     20},
    // Summed, the energies would say 40 %; a battery empty when full is no figure to add.
    {"EnergyFullZero",
     {{"BAT0",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "30\n"},
        {"energy_now", "1\n"},
        {"energy_full", "0\n"}}},
      {"BAT1",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "10\n"},
        {"energy_now", "20000000\n"},
        {"energy_full", "50000000\n"}}}},
     Source::Battery,
     20},
    {"EnergyOverflow",
     {{"BAT0",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "30\n"},
        {"energy_now", "18446744073709551615\n"},
        {"energy_full", "18446744073709551615\n"}}},
      {"BAT1",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "10\n"},
        {"energy_now", "18446744073709551615\n"},
        {"energy_full", "18446744073709551615\n"}}}},
     Source::Battery,
     20},
    // A battery reporting more left than when full is full, not above it.
    {"TwoBatteriesAboveFull",
     {{"BAT0",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "100\n"},
        {"energy_now", "51000000\n"},
        {"energy_full", "50000000\n"}}},
      {"BAT1",
       {{"type", "Battery\n"},
        {"status", "Discharging\n"},
        {"capacity", "100\n"},
        {"energy_now", "50000000\n"},
        {"energy_full", "50000000\n"}}}},
     Source::Battery,
     100},
    {"EmptyDirectory", {}, Source::Unknown, -1},
};

class PowerSupplyClassTest : public ::testing::TestWithParam<Case> {};

TEST_P(PowerSupplyClassTest, ReadsWhatPowersTheMachine) {
  PowerSupplyTree tree;
  fs::create_directories(tree.dir());
  for (const Supply& supply : GetParam().supplies) tree.Add(supply.name, supply.attributes);

  const PowerReading reading = ReadPowerSupplyClass(tree.dir());

  EXPECT_EQ(reading.source, GetParam().source);
  EXPECT_EQ(reading.percent, GetParam().percent);
  EXPECT_EQ(reading.origin, GetParam().source == Source::Unknown ? "" : tree.dir().string());
}

INSTANTIATE_TEST_SUITE_P(Cases, PowerSupplyClassTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.name;
                         });

TEST(PowerSupplyClassDirectoryTest, MissingDirectoryIsUnknown) {
  PowerSupplyTree tree;
  const PowerReading reading = ReadPowerSupplyClass(tree.dir() / "absent");
  EXPECT_EQ(reading.source, Source::Unknown);
  EXPECT_EQ(reading.percent, -1);
  EXPECT_EQ(reading.origin, "");
}

// An attribute that is a directory, or a supply that is a plain file, is no value.
TEST(PowerSupplyClassDirectoryTest, EntriesOfTheWrongKindAreIgnored) {
  PowerSupplyTree tree;
  tree.Add("BAT0", {{"type", "Battery\n"}, {"status", "Discharging\n"}});
  fs::create_directories(tree.dir() / "BAT0" / "capacity");
  std::ofstream(tree.dir() / "stray", std::ios::binary) << "Mains\n";
  const PowerReading reading = ReadPowerSupplyClass(tree.dir());
  EXPECT_EQ(reading.source, Source::Battery);
  EXPECT_EQ(reading.percent, -1);
}

}  // namespace
}  // namespace korvel::platform::linux_host
