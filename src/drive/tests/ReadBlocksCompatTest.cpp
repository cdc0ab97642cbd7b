// ReadBlocksCompat: which read each drive model gets for each block size, and how much it moves.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "drive/ReadBlocksCompat.h"
#include "drive/tests/RecordingBackend.h"

namespace korvel::drive {
namespace {

using testing::RecordingTransport;

constexpr std::uint8_t kA = 0;
constexpr std::uint8_t kT = 6;

struct ReadCase {
  const char* name;
  const char* product;
  std::uint32_t blockSize;
  std::vector<std::uint8_t> cdb;
  std::uint32_t length;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<std::uint8_t> kRead6 = {0x08, 0x23, 0x45, 0x67, 0x03, 0x00};
const std::vector<std::uint8_t> kReadCdWhole = {0xBE, 0,    0x01, 0x23, 0x45, 0x67,
                                                0x00, 0x00, 0x03, 0xF8, 0x00, 0x00};
const std::vector<std::uint8_t> kReadCdUserData = {0xBE, 0,    0x01, 0x23, 0x45, 0x67,
                                                   0x00, 0x00, 0x03, 0x10, 0x00, 0x00};

const ReadCase kCases[] = {
    {"Type18Raw", testing::kProductRz6120, 2352, kReadCdWhole, 3 * 2352},
    {"Type18OtherSizeReadsUserData", testing::kProductRz6120, 2336, kReadCdUserData, 3 * 2048},
    {"Type18TinySize", testing::kProductRz6120, 1, kReadCdUserData, 3 * 2048},
    {"Type18UserDataUsesRead6", testing::kProductRz6120, 2048, kRead6, 3 * 2048},
    {"Type16Raw", testing::kProductRz5140, 2352, kRead6, 3 * 2352},
    {"Type17OtherSize", testing::kProductCdRom, 2336, kRead6, 3 * 2336},
    {"Type17UserData", testing::kProductCdRom, 2048, kRead6, 3 * 2048},
    {"UnknownModelRaw", "CD-RW           ", 2352, kRead6, 3 * 2352},
};

class ReadBlocksCompatTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadBlocksCompatTest, AsksTheModelThenSendsItsRead) {
  const ReadCase& c = GetParam();
  RecordingTransport drive;
  drive.recorder.product = c.product;
  drive.recorder.status = 4;
  std::uint8_t buffer[8] = {};

  EXPECT_EQ(ReadBlocksCompat(drive.transport, kA, kT, 0x01234567, 3, c.blockSize, buffer), 4);

  const auto& commands = drive.recorder.commands;
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].cdb[0], testing::kInquiryOpcode);
  EXPECT_EQ(commands[1].cdb, c.cdb);
  EXPECT_FALSE(commands[1].dataOut);
  EXPECT_EQ(commands[1].length, c.length);
  EXPECT_EQ(commands[1].buffer, buffer);
}

INSTANTIATE_TEST_SUITE_P(Branches, ReadBlocksCompatTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(ReadBlocksCompatRefusalTest, Read6TransferBeyondThirtyTwoBitsIsRefused) {
  RecordingTransport drive;
  drive.recorder.product = testing::kProductCdRom;
  std::uint8_t buffer[8] = {};
  EXPECT_EQ(ReadBlocksCompat(drive.transport, kA, kT, 0, 0xFF, 0x02000000, buffer), kStatusRefused);
  EXPECT_TRUE(drive.recorder.WithoutInquiry().empty());
}

}  // namespace
}  // namespace korvel::drive
