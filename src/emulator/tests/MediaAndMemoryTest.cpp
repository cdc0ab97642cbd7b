// Reads of the synthetic disc and of drive memory.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "formats/SampleImage.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

json WithMemory() {
  json target = Rz5140();
  target["memory"] = json::array({{{"address", "0x100198"}, {"ascii", "1.10"}},
                                  {{"address", 0x10019C}, {"hex", "DE AD"}},
                                  {{"address", 0x200000}, {"hex", "01"}}});
  return target;
}

Bytes ReadMemoryCdb(std::uint32_t address, std::uint32_t length) {
  return {0xE3,
          0,
          std::uint8_t(address >> 24),
          std::uint8_t(address >> 16),
          std::uint8_t(address >> 8),
          std::uint8_t(address),
          std::uint8_t(length >> 24),
          std::uint8_t(length >> 16),
          std::uint8_t(length >> 8),
          std::uint8_t(length),
          0,
          0};
}

TEST(ReadDriveMemoryTest, FirmwareVersionAtItsAddress) {
  DeviceUnderTest drive(WithMemory());
  Bytes data(4, 0);
  const Bytes cdb{0xE3, 0, 0x00, 0x10, 0x01, 0x98, 0, 0, 0, 0x04, 0, 0};
  ASSERT_EQ(cdb, ReadMemoryCdb(0x100198, 4));
  const CommandResult result = drive.In(cdb, data);
  EXPECT_EQ(result.status, kStatusGood);
  EXPECT_EQ(result.transferred, 4u);
  EXPECT_EQ(Text(data, 0, 4), "1.10");
}

TEST(ReadDriveMemoryTest, MappedRangesOnly) {
  const struct {
    std::uint32_t address, length;
    std::uint8_t status;
    Bytes expected;
  } cases[] = {
      {0x100198, 6, kStatusGood, {'1', '.', '1', '0', 0xDE, 0xAD}},
      {0x10019B, 2, kStatusGood, {'0', 0xDE}},
      {0x100198, 7, kStatusCheckCondition, {}},
      {0x100197, 2, kStatusCheckCondition, {}},
      {0x0, 4, kStatusCheckCondition, {}},
      {0xFFFFFFFF, 0xFFFFFFFF, kStatusCheckCondition, {}},
      {0x200000, 0, kStatusGood, {}},
  };
  DeviceUnderTest drive(WithMemory());
  for (const auto& c : cases) {
    Bytes data(c.expected.size(), 0);
    const CommandResult result = drive.In(ReadMemoryCdb(c.address, c.length), data);
    EXPECT_EQ(result.status, c.status) << std::hex << c.address;
    if (c.status == kStatusGood) {
      EXPECT_EQ(data, c.expected) << std::hex << c.address;
    } else {
      EXPECT_EQ(SenseOf(result), sense::kLbaOutOfRange) << std::hex << c.address;
    }
  }
}

TEST(DiscReadTest, NoDiscIsNotReady) {
  DeviceUnderTest drive(Rz6120());
  Bytes data(2352, 0);
  EXPECT_EQ(SenseOf(drive.NoData({0, 0, 0, 0, 0, 0})), sense::kMediumNotPresentTrayClosed);
  EXPECT_EQ(SenseOf(drive.In({0x08, 0, 0, 0, 1, 0}, data)), sense::kMediumNotPresentTrayClosed);
  EXPECT_EQ(SenseOf(drive.In({0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0xF8, 0, 0}, data)),
            sense::kMediumNotPresentTrayClosed);
}

TEST(DiscReadTest, UserDataAndRawSectorsAgree) {
  DeviceUnderTest drive(Rz5140());
  Bytes user(2 * 2048, 0);
  ASSERT_EQ(drive.In({0x08, 0x00, 0x01, 0x2C, 2, 0}, user).transferred, 4096u);  // LBA 300
  EXPECT_EQ(Bytes(user.begin(), user.begin() + 4), (Bytes{0, 0, 0x01, 0x2C}));
  EXPECT_EQ(Bytes(user.begin() + 2048, user.begin() + 2052), (Bytes{0, 0, 0x01, 0x2D}));

  Bytes raw(2352, 0);
  ASSERT_EQ(drive.In({0xBE, 0, 0, 0, 0x01, 0x2C, 0, 0, 1, 0xF8, 0, 0}, raw).transferred, 2352u);
  const Bytes sync{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 12), sync);
  // LBA 300 + 150 = 450 frames = 00:06:00, mode 1.
  EXPECT_EQ(Bytes(raw.begin() + 12, raw.begin() + 16), (Bytes{0x00, 0x06, 0x00, 0x01}));
  EXPECT_EQ(Bytes(raw.begin() + 16, raw.begin() + 16 + 2048),
            Bytes(user.begin(), user.begin() + 2048));

  Bytes cooked(2048, 0);
  ASSERT_EQ(drive.In({0xBE, 0, 0, 0, 0x01, 0x2D, 0, 0, 1, 0x10, 0, 0}, cooked).transferred, 2048u);
  EXPECT_EQ(cooked, Bytes(user.begin() + 2048, user.end()));
}

TEST(DiscReadTest, RawBlocksAfterModeSelect) {
  DeviceUnderTest drive(Rz5140());
  const Bytes list{0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30};  // block length 2352
  ASSERT_EQ(drive.Out({0x15, 0x10, 0, 0, 12, 0}, list).status, kStatusGood);
  Bytes data(2352, 0);
  ASSERT_EQ(drive.In({0x08, 0, 0, 0, 1, 0}, data).transferred, 2352u);
  EXPECT_EQ((Bytes{data[0], data[1], data[15]}), (Bytes{0x00, 0xFF, 0x01}));
}

TEST(DiscReadTest, BeyondTheDiscAndBadFields) {
  const struct {
    Bytes cdb;
    SenseCode expected;
  } cases[] = {
      {{0x08, 0, 0x03, 0xE7, 1, 0}, {}},  // last block 999
      {{0x08, 0, 0x03, 0xE7, 2, 0}, sense::kLbaOutOfRange},
      {{0x08, 0, 0x03, 0xE8, 1, 0}, sense::kLbaOutOfRange},
      {{0xBE, 0, 0, 0, 0x03, 0xE8, 0, 0, 1, 0xF8, 0, 0}, sense::kLbaOutOfRange},
      {{0xBE, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 1, 0xF8, 0, 0}, sense::kLbaOutOfRange},
      {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0x20, 0, 0}, {}},                         // the header alone
      {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0x80, 0, 0}, sense::kInvalidFieldInCdb},  // sync, no header
      {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0x08, 0, 0}, sense::kInvalidFieldInCdb},  // EDC, no data
      {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0xFC, 0, 0}, {}},  // C2 bits and block error byte
      {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0xFE, 0, 0}, sense::kInvalidFieldInCdb},     // C2 field 11
      {{0xBE, 0x18, 0, 0, 0, 0, 0, 0, 1, 0x10, 0, 0}, sense::kInvalidFieldInCdb},  // type 6
      {{0xBE, 0x04, 0, 0, 0, 0, 0, 0, 1, 0x10, 0, 0}, sense::kIllegalModeForThisTrack},
      {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0xF8, 0x01, 0}, {}},                         // raw P-W
      {{0xBE, 0, 0, 0, 0, 0, 0, 0, 1, 0xF8, 0x04, 0}, sense::kInvalidFieldInCdb},  // R-W
  };
  DeviceUnderTest drive(Rz5140());
  for (const auto& c : cases) {
    Bytes data(4 * 2352, 0);
    EXPECT_EQ(SenseOf(drive.In(c.cdb, data)), c.expected) << int(c.cdb[0]) << int(c.cdb[3]);
  }
}

// READ(6) carries 21 address bits; the top three bits of byte 1 cannot belong to the address.
// A host that writes them must get an error, never another block's data with GOOD.
TEST(DiscReadTest, Read6BeyondTwentyOneBitsIsOutOfRangeNotAnotherBlock) {
  json target = Rz5140();
  target["disc"] = {{"blocks", 449849}};  // the longest disc: 100 minutes
  DeviceUnderTest drive(target);
  const struct {
    Bytes cdb;
    std::uint8_t status;
    std::uint32_t firstBlock;  // of the data, when GOOD
  } cases[] = {
      {{0x08, 0x06, 0xDD, 0x38, 1, 0}, kStatusGood, 449848},       // the last block of the disc
      {{0x08, 0x20, 0x00, 0x05, 1, 0}, kStatusCheckCondition, 0},  // was block 5
      {{0x08, 0xE0, 0x00, 0x00, 1, 0}, kStatusCheckCondition, 0},  // was block 0
      {{0x08, 0xFF, 0xFF, 0xFF, 1, 0}, kStatusCheckCondition, 0},
  };
  for (const auto& c : cases) {
    Bytes data(2048, 0xAA);
    const CommandResult result = drive.In(c.cdb, data);
    ASSERT_EQ(result.status, c.status) << int(c.cdb[1]);
    if (c.status == kStatusGood) {
      EXPECT_EQ(Bytes(data.begin(), data.begin() + 4),
                (Bytes{std::uint8_t(c.firstBlock >> 24), std::uint8_t(c.firstBlock >> 16),
                       std::uint8_t(c.firstBlock >> 8), std::uint8_t(c.firstBlock)}));
      continue;
    }
    EXPECT_EQ(result.transferred, 0u);
    EXPECT_EQ(data, Bytes(2048, 0xAA)) << "no block's data is delivered";
    const Bytes sense = drive.RequestSense();
    EXPECT_EQ(sense[0], 0x70);   // current error, fixed format
    EXPECT_EQ(sense[2], 0x05);   // ILLEGAL REQUEST
    EXPECT_EQ(sense[12], 0x21);  // LOGICAL BLOCK ADDRESS OUT OF RANGE
    EXPECT_EQ(sense[13], 0x00);
  }
}

// The tray lock of the capabilities page: prevent and allow, with or without a disc.
TEST(PreventAllowMediumRemovalTest, LockAndUnlockTheTray) {
  const struct {
    const char* name;
    json target;
    Bytes cdb;
    std::uint8_t status;
    SenseCode sense;
  } cases[] = {
      {"prevent, no disc", Rz6120(), {0x1E, 0, 0, 0, 0x01, 0}, kStatusGood, sense::kNoSense},
      {"allow, no disc", Rz6120(), {0x1E, 0, 0, 0, 0x00, 0}, kStatusGood, sense::kNoSense},
      {"prevent, disc", Rz5140(), {0x1E, 0, 0, 0, 0x01, 0}, kStatusGood, sense::kNoSense},
      {"persistent prevention",
       Rz5140(),
       {0x1E, 0, 0, 0, 0x02, 0},
       kStatusCheckCondition,
       sense::kInvalidFieldInCdb},
      {"reserved bits",
       Rz5140(),
       {0x1E, 0, 0, 0, 0x81, 0},
       kStatusCheckCondition,
       sense::kInvalidFieldInCdb},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(c.target);
    const CommandResult result = drive.NoData(c.cdb);
    EXPECT_EQ(result.status, c.status) << c.name;
    if (c.status == kStatusCheckCondition) {
      EXPECT_EQ(SenseOf(result), c.sense) << c.name;
    }
    EXPECT_EQ(result.transferred, 0u) << c.name;
  }
}

TEST(PreventAllowMediumRemovalTest, NotReadyWhileTheDriveRestarts) {
  DeviceUnderTest drive(Rz5140());
  const Bytes image = formats::MakeSampleImage(formats::kFormatB, "1.10", 1);
  ASSERT_EQ(DownloadFirmware(drive, image).back().status, kStatusGood);
  EXPECT_EQ(SenseOf(drive.NoData({0x1E, 0, 0, 0, 0x01, 0})), sense::kBecomingReady);
}

TEST(ReadCapacityTest, LastBlockAndBlockLength) {
  DeviceUnderTest drive(Rz5140());
  Bytes data(8, 0);
  ASSERT_EQ(drive.In({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, data).status, kStatusGood);
  EXPECT_EQ(data, (Bytes{0, 0, 0x03, 0xE7, 0, 0, 0x08, 0x00}));
}

}  // namespace
}  // namespace korvel::emulator::testing
