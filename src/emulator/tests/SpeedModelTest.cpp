// The drive families' read speed: a CD-ROM model runs at the speed its page 0x31 setting names, a
// CD-R model keeps the page without acting on it; both follow SET CD SPEED; the scenario can
// choose the family.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "emulator/ConfigError.h"
#include "emulator/DeviceFactory.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

const Bytes kSenseCapabilities = {0x1A, 0, 0x2A, 0, 34, 0};
const Bytes kSenseVendorSpeed = {0x1A, 0, 0x31, 0, 16, 0};

Bytes SelectSetting(std::uint8_t setting) {
  return {0, 0, 0, 0, 0x31, 0x02, setting, 0x00};
}
const Bytes kModeSelect8 = {0x15, 0x10, 0, 0, 8, 0};

// Page 0x2A's current read speed (kB/s), through MODE SENSE(6).
unsigned CurrentReadSpeed(DeviceUnderTest& drive) {
  Bytes data(34, 0);
  EXPECT_EQ(drive.In(kSenseCapabilities, data).status, kStatusGood);
  return data[26] * 256u + data[27];
}

std::uint8_t VendorSetting(DeviceUnderTest& drive) {
  Bytes data(16, 0);
  EXPECT_EQ(drive.In(kSenseVendorSpeed, data).status, kStatusGood);
  return data[14];
}

json Drive(const char* product) {
  return {{"product", product}};
}

TEST(SpeedModelTest, VendorPageSettingsRunAtTheirSpeeds) {
  // The built-in page 0x2A allows 4234 kB/s; setting 6 asks for the fastest.
  const std::pair<std::uint8_t, unsigned> cases[] = {{0, 176},  {1, 353},  {2, 706}, {3, 1411},
                                                     {4, 2117}, {5, 3528}, {6, 4234}};
  DeviceUnderTest drive(Drive("CD-ROM          "));
  for (const auto& [setting, speed] : cases) {
    ASSERT_EQ(drive.Out(kModeSelect8, SelectSetting(setting)).status, kStatusGood);
    EXPECT_EQ(CurrentReadSpeed(drive), speed) << int(setting);
    EXPECT_EQ(VendorSetting(drive), setting);
  }
}

TEST(SpeedModelTest, AVendorPageDriveStartsAtItsSettingsSpeed) {
  DeviceUnderTest builtIn(Drive("CD-ROM          "));
  EXPECT_EQ(CurrentReadSpeed(builtIn), 176u);  // setting 0
  json target = Drive("CD-ROM          ");
  target["mode_pages"] = {{"31", "31 02 04 00"}};
  DeviceUnderTest fourth(target);
  EXPECT_EQ(CurrentReadSpeed(fourth), 2117u);
  // A CD-R model keeps the page's speed whatever its setting.
  target["product"] = "CD-R            ";
  DeviceUnderTest cdR(target);
  EXPECT_EQ(CurrentReadSpeed(cdR), 4234u);
}

TEST(SpeedModelTest, AVendorPageDriveRefusesASettingItDoesNotHave) {
  DeviceUnderTest drive(Drive("cd-rom          "));
  ASSERT_EQ(drive.Out(kModeSelect8, SelectSetting(3)).status, kStatusGood);
  const CommandResult refused = drive.Out(kModeSelect8, SelectSetting(7));
  EXPECT_EQ(refused.status, kStatusCheckCondition);
  EXPECT_EQ(SenseOf(refused), sense::kInvalidFieldInParameterList);
  // Nothing changed.
  EXPECT_EQ(VendorSetting(drive), 3);
  EXPECT_EQ(CurrentReadSpeed(drive), 1411u);
}

TEST(SpeedModelTest, ASetCdSpeedDriveKeepsPage31WithoutActingOnIt) {
  DeviceUnderTest drive(Drive("CD-R            "));
  ASSERT_EQ(drive.Out(kModeSelect8, SelectSetting(1)).status, kStatusGood);
  EXPECT_EQ(VendorSetting(drive), 1);
  EXPECT_EQ(CurrentReadSpeed(drive), 4234u);
  // Any byte is a setting it keeps.
  EXPECT_EQ(drive.Out(kModeSelect8, SelectSetting(9)).status, kStatusGood);
}

TEST(SpeedModelTest, BothFamiliesFollowSetCdSpeed) {
  for (const char* product : {"CD-ROM          ", "CD-R   RZ5140   "}) {
    DeviceUnderTest drive(Drive(product));
    ASSERT_EQ(drive.NoData({0xBB, 0, 0x05, 0x83, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}).status,
              kStatusGood);
    EXPECT_EQ(CurrentReadSpeed(drive), 1411u) << product;
  }
}

TEST(SpeedModelTest, TheScenarioChoosesTheFamily) {
  json cdR = Drive("CD-R            ");
  cdR["speed_family"] = "page-31";
  DeviceUnderTest vendorPage(cdR);
  ASSERT_EQ(vendorPage.Out(kModeSelect8, SelectSetting(2)).status, kStatusGood);
  EXPECT_EQ(CurrentReadSpeed(vendorPage), 706u);

  json cdRom = Drive("CD-ROM          ");
  cdRom["speed_family"] = "set-cd-speed";
  DeviceUnderTest setCdSpeed(cdRom);
  ASSERT_EQ(setCdSpeed.Out(kModeSelect8, SelectSetting(2)).status, kStatusGood);
  EXPECT_EQ(CurrentReadSpeed(setCdSpeed), 4234u);
}

TEST(SpeedModelTest, AnUnknownFamilyIsRefusedByName) {
  json target = Drive("CD-R            ");
  target["speed_family"] = "fast";
  try {
    ParseDeviceConfig(target, "t");
    FAIL() << "accepted";
  } catch (const ConfigError& error) {
    EXPECT_STREQ(error.what(), "t.speed_family: expected \"page-31\" or \"set-cd-speed\"");
  }
  target["speed_family"] = "";
  EXPECT_THROW(ParseDeviceConfig(target, "t"), ConfigError);
}

}  // namespace
}  // namespace korvel::emulator::testing
