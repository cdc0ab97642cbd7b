#include "DeviceTestSupport.h"

#include <gtest/gtest.h>

#include "emulator/DeviceFactory.h"
#include "formats/BigEndian.h"

namespace korvel::emulator::testing {

DeviceUnderTest::DeviceUnderTest(const nlohmann::json& target)
    : device_(MakeDevice(ParseDeviceConfig(target, "target"), clock)) {}

CommandResult DeviceUnderTest::In(const Bytes& cdb, Bytes& data) {
  return device_->Execute(cdb, Direction::In, data);
}

CommandResult DeviceUnderTest::Out(const Bytes& cdb, Bytes data) {
  return device_->Execute(cdb, Direction::Out, data);
}

CommandResult DeviceUnderTest::NoData(const Bytes& cdb) {
  return device_->Execute(cdb, Direction::In, {});
}

CommandResult DeviceUnderTest::WithAutoSense(const Bytes& cdb, Bytes& data) {
  return device_->ExecuteWithAutoSense(cdb, Direction::In, data);
}

Bytes DeviceUnderTest::RequestSense() {
  Bytes data(18, 0xEE);
  const CommandResult result = In({0x03, 0, 0, 0, 18, 0}, data);
  EXPECT_EQ(result.status, kStatusGood);
  EXPECT_EQ(result.transferred, 18u);
  return data;
}

std::string DeviceUnderTest::Revision() {
  Bytes data(56, 0);
  const CommandResult result = In({0x12, 0, 0, 0, 56, 0}, data);
  EXPECT_EQ(result.status, kStatusGood);
  return Text(data, 32, 4);
}

SenseCode SenseOf(const CommandResult& result) {
  return SenseCodeOf(result.sense);
}

Bytes Hex(std::string_view text) {
  Bytes bytes;
  std::string digits;
  for (char c : text) {
    if (c != ' ') digits += c;
  }
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

Bytes Answer(DeviceUnderTest& drive, const Bytes& cdb, std::size_t size) {
  Bytes data(size, 0xEE);
  const CommandResult result = drive.In(cdb, data);
  EXPECT_EQ(result.status, kStatusGood)
      << "sense " << std::hex << int(SenseOf(result).key) << "/" << int(SenseOf(result).asc);
  data.resize(result.transferred);
  return data;
}

std::string Text(const Bytes& bytes, std::size_t from, std::size_t length) {
  return std::string(bytes.begin() + from, bytes.begin() + from + length);
}

Bytes WriteBufferCdb(std::uint8_t mode, std::uint32_t offset, std::uint32_t length) {
  Bytes cdb(10, 0);
  cdb[0] = 0x3B;
  cdb[1] = mode;
  formats::PutBigEndian(&cdb[3], offset, 3);
  formats::PutBigEndian(&cdb[6], length, 3);
  return cdb;
}

std::vector<CommandResult> DownloadFirmware(DeviceUnderTest& drive, const Bytes& image) {
  constexpr std::uint32_t kChunk = 0x2000;
  std::vector<CommandResult> results;
  for (std::uint32_t k = 0; k < 64; ++k) {
    Bytes chunk(image.begin() + k * kChunk, image.begin() + (k + 1) * kChunk);
    chunk.insert(chunk.end(), {0xDE, 0xAD, 0xBE, 0xEF});  // the 4 bytes the host adds
    results.push_back(drive.Out(WriteBufferCdb(k < 63 ? 4 : 5, k * kChunk, kChunk), chunk));
  }
  return results;
}

nlohmann::json Rz5140() {
  return {{"vendor", "KORVEL"},
          {"product", "CD-R   RZ5140"},
          {"revision", "1.00"},
          {"disc", {{"blocks", 1000}}}};
}

nlohmann::json Rz6120() {
  return {{"vendor", "KORVEL"}, {"product", "CD-R   RZ6120"}, {"revision", "1.00"}};
}

}  // namespace korvel::emulator::testing
