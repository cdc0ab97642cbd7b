// INQUIRY, REQUEST SENSE and the refusal of unknown commands, for the maker's drives and for a
// device of another maker.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

TEST(InquiryTest, StandardDataBytes) {
  DeviceUnderTest drive(Rz5140());
  Bytes data(56, 0xEE);
  const CommandResult result = drive.In({0x12, 0, 0, 0, 56, 0}, data);
  ASSERT_EQ(result.status, kStatusGood);
  EXPECT_EQ(result.transferred, 36u);
  const Bytes head(data.begin(), data.begin() + 8);
  EXPECT_EQ(head, (Bytes{0x05, 0x80, 0x02, 0x02, 31, 0, 0, 0}));
  EXPECT_EQ(Text(data, 8, 28), "KORVEL  CD-R   RZ5140   1.00");
  EXPECT_EQ(Bytes(data.begin() + 36, data.end()), Bytes(20, 0xEE));
}

TEST(InquiryTest, TransferFollowsAllocationLengthAndBuffer) {
  const struct {
    std::uint8_t allocation;
    std::size_t buffer;
    std::uint32_t expected;
  } cases[] = {{0, 56, 0}, {5, 56, 5}, {36, 56, 36}, {56, 56, 36}, {255, 255, 36}, {56, 20, 20}};
  DeviceUnderTest drive(Rz5140());
  for (const auto& c : cases) {
    Bytes data(c.buffer, 0);
    const CommandResult result = drive.In({0x12, 0, 0, 0, c.allocation, 0}, data);
    EXPECT_EQ(result.status, kStatusGood);
    EXPECT_EQ(result.transferred, c.expected) << int(c.allocation) << "/" << c.buffer;
  }
}

TEST(InquiryTest, FullLengthFieldsAreKeptByteForByte) {
  DeviceUnderTest drive({{"vendor", std::string("korvel \0", 8)},
                         {"product", "cd-r   rz6120   "},
                         {"revision", "a.b\t"},
                         {"peripheral", "0x7F"}});
  Bytes data(56, 0);
  ASSERT_EQ(drive.In({0x12, 0, 0, 0, 56, 0}, data).status, kStatusGood);
  EXPECT_EQ(data[0], 0x7F);
  EXPECT_EQ(Text(data, 8, 28), std::string("korvel \0cd-r   rz6120   a.b\t", 28));
}

TEST(InquiryTest, VitalProductDataIsRefused) {
  DeviceUnderTest drive(Rz5140());
  Bytes data(56, 0);
  EXPECT_EQ(SenseOf(drive.In({0x12, 0x01, 0x80, 0, 56, 0}, data)), sense::kInvalidFieldInCdb);
}

TEST(RequestSenseTest, ReportsTheLastCheckConditionOnceThenNoSense) {
  DeviceUnderTest drive(Rz5140());
  const CommandResult failed = drive.NoData({0xD0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_EQ(failed.status, kStatusCheckCondition);
  const Bytes expected{0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(failed.sense.begin(), failed.sense.end()), expected);
  EXPECT_EQ(drive.RequestSense(), expected);
  EXPECT_EQ(drive.RequestSense(),
            (Bytes{0x70, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(RequestSenseTest, ShortAllocationStillClearsTheSense) {
  DeviceUnderTest drive(Rz5140());
  drive.NoData({0xD0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  Bytes data(18, 0xEE);
  const CommandResult result = drive.In({0x03, 0, 0, 0, 4, 0}, data);
  EXPECT_EQ(result.transferred, 4u);
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 5), (Bytes{0x70, 0, 0x05, 0, 0xEE}));
  EXPECT_EQ(drive.RequestSense()[2], 0x00);
}

TEST(UnknownCommandTest, RefusedWithInvalidOpcode) {
  const struct {
    const char* vendor;
    std::uint8_t opcode;
  } cases[] = {{"KORVEL", 0x04}, {"KORVEL", 0x2A}, {"KORVEL", 0xD0}, {"KORVEL", 0xFF},
               {"ACME", 0x3B},   {"ACME", 0x1A},   {"ACME", 0xE3},   {"ACME", 0x01}};
  for (const auto& c : cases) {
    DeviceUnderTest device({{"vendor", c.vendor}, {"product", "CD-R   RZ5140"}});
    Bytes cdb(12, 0);
    cdb[0] = c.opcode;
    const CommandResult result = device.NoData(cdb);
    EXPECT_EQ(result.status, kStatusCheckCondition) << c.vendor << " " << int(c.opcode);
    EXPECT_EQ(SenseOf(result), sense::kInvalidOpcode) << c.vendor << " " << int(c.opcode);
  }
}

TEST(MakerTest, ChosenByVendorUnlessNamed) {
  const struct {
    json target;
    bool takesMakersCommands;
  } cases[] = {
      {{{"vendor", "KORVEL"}}, true},
      {{{"vendor", "korvel"}}, true},
      {{{"vendor", "ACME"}}, false},
      {{{"vendor", "KORVEL"}, {"maker", "other"}}, false},
      {{{"vendor", "ACME"}, {"maker", "korvel"}}, true},
  };
  for (const auto& c : cases) {
    DeviceUnderTest device(c.target);
    EXPECT_EQ(device.NoData({0x01, 0, 0, 0, 0, 0}).status == kStatusGood, c.takesMakersCommands)
        << c.target.dump();
    EXPECT_EQ(device.Revision(), "1.00");
    EXPECT_EQ(device.NoData({0x00, 0, 0, 0, 0, 0}).answered, true);
  }
}

TEST(CdbTest, ShorterThanItsGroupIsABadField) {
  DeviceUnderTest drive(Rz5140());
  EXPECT_EQ(SenseOf(drive.NoData({0x3B, 0x04, 0, 0, 0, 0})), sense::kInvalidFieldInCdb);
  EXPECT_EQ(SenseOf(drive.NoData({})), sense::kInvalidOpcode);
}

}  // namespace
}  // namespace korvel::emulator::testing
