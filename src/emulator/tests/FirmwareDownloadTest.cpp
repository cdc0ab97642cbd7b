// The firmware download as the host sends it, the image check at the save, and the restart.
#include <gtest/gtest.h>

#include <functional>

#include "DeviceTestSupport.h"
#include "formats/SampleImage.h"

namespace korvel::emulator::testing {
namespace {

using formats::kFormatA;
using formats::kFormatB;
using nlohmann::json;

const Bytes kTur{0, 0, 0, 0, 0, 0};

void ExpectAllGood(const std::vector<CommandResult>& results) {
  ASSERT_EQ(results.size(), 64u);
  for (std::size_t k = 0; k < results.size(); ++k) {
    EXPECT_EQ(results[k].status, kStatusGood) << "chunk " << k;
    EXPECT_EQ(results[k].transferred, 0x2000u) << "chunk " << k;
  }
}

TEST(FirmwareDownloadTest, ValidImageIsSavedThenTheDriveRestarts) {
  DeviceUnderTest drive(Rz5140());
  ExpectAllGood(DownloadFirmware(drive, formats::MakeSampleImage(kFormatB, "2.05", 11)));
  EXPECT_EQ(drive.Revision(), "2.05");

  const CommandResult restarting = drive.NoData(kTur);
  EXPECT_EQ(restarting.status, kStatusCheckCondition);
  EXPECT_EQ(SenseOf(restarting), sense::kBecomingReady);
  drive.clock.Advance(2499);
  EXPECT_EQ(SenseOf(drive.NoData({0x01, 0, 0, 0, 0, 0})), sense::kBecomingReady);
  const Bytes sense = drive.RequestSense();
  EXPECT_EQ((Bytes{sense[2], sense[12], sense[13]}), (Bytes{0x02, 0x04, 0x01}));

  drive.clock.Advance(1);
  // INQUIRY and REQUEST SENSE neither wait for nor take the unit attention.
  EXPECT_EQ(drive.Revision(), "2.05");
  EXPECT_EQ(drive.RequestSense()[2], 0x00);
  const CommandResult attention = drive.NoData(kTur);
  EXPECT_EQ(attention.status, kStatusCheckCondition);
  EXPECT_EQ(SenseOf(attention), sense::kPowerOnReset);
  EXPECT_EQ(drive.NoData(kTur).status, kStatusGood);
  EXPECT_EQ(drive.NoData(kTur).status, kStatusGood);
}

TEST(FirmwareDownloadTest, RestartTimeIsConfigurable) {
  json target = Rz5140();
  target["restart_ms"] = 100;
  DeviceUnderTest drive(target);
  ExpectAllGood(DownloadFirmware(drive, formats::MakeSampleImage(kFormatB, "2.05", 11)));
  drive.clock.Advance(99);
  EXPECT_EQ(SenseOf(drive.NoData(kTur)), sense::kBecomingReady);
  drive.clock.Advance(1);
  EXPECT_EQ(SenseOf(drive.NoData(kTur)), sense::kPowerOnReset);
}

TEST(FirmwareDownloadTest, FormatADriveTakesAShortImagePaddedWithErasedFlash) {
  DeviceUnderTest drive(Rz6120());
  const Bytes image = formats::MakeSampleImage(kFormatA, "3.01", 5);
  ASSERT_EQ(image.size(), 393216u);
  ExpectAllGood(DownloadFirmware(drive, formats::TransferBytesOf(image)));
  EXPECT_EQ(drive.Revision(), "3.01");
}

TEST(FirmwareDownloadTest, BytesBeyondTheFormatAImageAreNotChecked) {
  DeviceUnderTest drive(Rz6120());
  Bytes image = formats::MakeSampleImage(kFormatA, "3.02", 5);
  formats::AppendTrailingBytes(image, formats::kTransferBytes - image.size(), 9);
  ExpectAllGood(DownloadFirmware(drive, image));
  EXPECT_EQ(drive.Revision(), "3.02");
}

TEST(FirmwareDownloadTest, BadImagesAreRefusedAtTheSaveAndTheOldFirmwareStays) {
  const struct {
    const char* name;
    json drive;
    const formats::UpgradeFileFormat* format;
    std::function<void(Bytes&)> damage;
  } cases[] = {
      {"signature case", Rz5140(), &kFormatB,
       [](Bytes& i) { formats::BreakSignatureCase(i, kFormatB); }},
      {"checksum low byte first", Rz5140(), &kFormatB,
       [](Bytes& i) { formats::StoreChecksumLowByteFirst(i, kFormatB); }},
      {"checksum off by one", Rz6120(), &kFormatA,
       [](Bytes& i) { formats::StoreChecksumOffByOne(i, kFormatA); }},
      {"one firmware byte changed", Rz6120(), &kFormatA, [](Bytes& i) { i[0x1234] ^= 0x80; }},
      {"format B image to a format A drive", Rz6120(), &kFormatB, [](Bytes&) {}},
      {"format A image to a format B drive", Rz5140(), &kFormatA, [](Bytes&) {}},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(c.drive);
    Bytes image = formats::MakeSampleImage(*c.format, "9.99", 3);
    c.damage(image);
    const auto results = DownloadFirmware(drive, formats::TransferBytesOf(image));
    for (std::size_t k = 0; k < 63; ++k) ASSERT_EQ(results[k].status, kStatusGood) << c.name;
    EXPECT_EQ(results[63].status, kStatusCheckCondition) << c.name;
    EXPECT_EQ(SenseOf(results[63]), sense::kInvalidFieldInParameterList) << c.name;
    EXPECT_EQ(drive.Revision(), "1.00") << c.name;
    // No restart follows a refused image.
    EXPECT_NE(SenseOf(drive.NoData(kTur)), sense::kBecomingReady) << c.name;
  }
}

TEST(FirmwareDownloadTest, DownloadBufferStartsErased) {
  // An image that is all 0xFF up to its last chunk: the save alone completes it.
  Bytes image(kFormatB.imageSize, 0xFF);
  const Bytes sample = formats::MakeSampleImage(kFormatB, "4.00", 1);
  std::copy(sample.begin() + 0x7E000, sample.end(), image.begin() + 0x7E000);
  formats::StoreChecksum(image, kFormatB);
  DeviceUnderTest drive(Rz5140());
  Bytes last(image.begin() + 0x7E000, image.end());
  last.resize(last.size() + 4);
  EXPECT_EQ(drive.Out(WriteBufferCdb(5, 0x7E000, 0x2000), last).status, kStatusGood);
  EXPECT_EQ(drive.Revision(), "4.00");
}

TEST(FirmwareDownloadTest, RequestsOutsideTheBufferOrModelAreRefused) {
  const Bytes any(0x2004, 0);
  const struct {
    const char* name;
    json drive;
    Bytes cdb;
    Bytes data;
    Direction direction;
    SenseCode expected;
  } cases[] = {
      {"last byte of the buffer",
       Rz5140(),
       WriteBufferCdb(4, 0x7FFFF, 1),
       Bytes(5, 0),
       Direction::Out,
       {}},
      {"empty piece", Rz5140(), WriteBufferCdb(4, 0x80000, 0), {}, Direction::Out, {}},
      {"one byte past the end", Rz5140(), WriteBufferCdb(4, 0x7E000, 0x2001), any, Direction::Out,
       sense::kInvalidFieldInCdb},
      {"offset at the end", Rz5140(), WriteBufferCdb(4, 0x80000, 1), any, Direction::Out,
       sense::kInvalidFieldInCdb},
      {"largest offset", Rz5140(), WriteBufferCdb(4, 0xFFFFFF, 0x2000), any, Direction::Out,
       sense::kInvalidFieldInCdb},
      {"data mode", Rz5140(), WriteBufferCdb(2, 0, 0x2000), any, Direction::Out,
       sense::kInvalidFieldInCdb},
      {"save on a model without format",
       {{"vendor", "KORVEL"}, {"product", "CD-ROM"}},
       WriteBufferCdb(5, 0x7E000, 0x2000),
       any,
       Direction::Out,
       sense::kInvalidFieldInCdb},
      {"buffer ID 1", Rz5140(),
       [] {
         Bytes c = WriteBufferCdb(4, 0, 16);
         c[2] = 1;
         return c;
       }(),
       any, Direction::Out, sense::kInvalidFieldInCdb},
      {"fewer bytes than the length", Rz5140(), WriteBufferCdb(4, 0, 0x2000), Bytes(0x1FFF, 0),
       Direction::Out, sense::kInvalidFieldInCdb},
      {"data in", Rz5140(), WriteBufferCdb(4, 0, 0x2000), any, Direction::In,
       sense::kDataPhaseError},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(c.drive);
    Bytes data = c.data;
    const CommandResult result =
        c.direction == Direction::Out ? drive.Out(c.cdb, data) : drive.In(c.cdb, data);
    EXPECT_EQ(SenseOf(result), c.expected) << c.name;
    EXPECT_EQ(result.status, c.expected == SenseCode{} ? kStatusGood : kStatusCheckCondition)
        << c.name;
  }
}

}  // namespace
}  // namespace korvel::emulator::testing
