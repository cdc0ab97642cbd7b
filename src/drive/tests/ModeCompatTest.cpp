// MODE SENSE and MODE SELECT by drive model: the command each model gets, and the conversion
// between the 10-byte layout of a DriveType 18 drive and the 6-byte layout callers see. Caller
// buffers are sized exactly, so that a byte read or written outside them shows under ASan.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "drive/ModeCompat.h"
#include "drive/tests/RecordingBackend.h"
#include "platform/testing/CaseNames.h"

namespace korvel::drive {
namespace {

using testing::RecordedCommand;
using testing::RecordingTransport;

constexpr std::uint8_t kA = 1;
constexpr std::uint8_t kT = 4;
constexpr std::uint8_t kUntouched = 0xEE;

// A 10-byte MODE SENSE answer: header (length low byte 0x20, medium type 0x71, device-specific
// 0x80, bytes 4..7 marked), then page 0x2A from byte 8 with bytes 0xC0, 0xC1, ...
std::vector<std::uint8_t> TenByteAnswer(std::size_t size) {
  std::vector<std::uint8_t> work(size);
  for (std::size_t i = 0; i < size; ++i) work[i] = static_cast<std::uint8_t>(0xC0 + i);
  work[0] = 0x00;
  work[1] = 0x20;
  work[2] = 0x71;
  work[3] = 0x80;
  work[4] = 0xA4;
  work[5] = 0xA5;
  work[6] = 0xA6;
  work[7] = 0xA7;
  work[8] = 0x2A;
  work[9] = 0x14;
  return work;
}

// What the caller must see at output offset i, given the work area the drive filled.
std::uint8_t Converted(const std::vector<std::uint8_t>& work, std::size_t i) {
  auto at = [&](std::size_t w) -> std::uint8_t { return w < work.size() ? work[w] : 0; };
  switch (i) {
    case 0:
      return static_cast<std::uint8_t>(at(1) + 4);
    case 1:
      return 0;
    case 2:
      return at(2);
    case 3:
      return 8;
    case 4:
    case 5:
    case 6:
    case 7:
      return 0;
    default:
      return at(i - 4);
  }
}

// --- ModeSenseCompat ------------------------------------------------------------------------

struct SixByteModelCase {
  const char* product;
};

void PrintTo(const SixByteModelCase& c, std::ostream* os) {
  case_names::PrintText(c.product, os);
}

class ModeSenseSixByteModelTest : public ::testing::TestWithParam<SixByteModelCase> {};

TEST_P(ModeSenseSixByteModelTest, SendsModeSense6IntoTheCallersBuffer) {
  RecordingTransport drive;
  drive.recorder.product = GetParam().product;
  drive.recorder.modeSenseData = {0x11, 0x22, 0x33};
  std::uint8_t buffer[0x30] = {};
  EXPECT_EQ(ModeSenseCompat(drive.transport, kA, kT, 0x2A, 0x30, buffer), 1);

  ASSERT_EQ(drive.recorder.commands.size(), 2u);
  EXPECT_EQ(drive.recorder.commands[0].cdb[0], testing::kInquiryOpcode);
  const RecordedCommand& sense = drive.recorder.commands[1];
  EXPECT_EQ(sense.cdb, (std::vector<std::uint8_t>{0x1A, 0x00, 0x2A, 0x00, 0x30, 0x00}));
  EXPECT_FALSE(sense.dataOut);
  EXPECT_EQ(sense.length, 0x30u);
  EXPECT_EQ(sense.buffer, buffer);
  EXPECT_EQ(buffer[0], 0x11);  // unconverted
  EXPECT_EQ(buffer[3], 0x00);
}

INSTANTIATE_TEST_SUITE_P(Models, ModeSenseSixByteModelTest,
                         ::testing::Values(SixByteModelCase{testing::kProductRz5140},
                                           SixByteModelCase{testing::kProductCdRom},
                                           SixByteModelCase{"SOMETHING ELSE  "}));

TEST(ModeSenseCompatTest, Type18CapabilitiesPageLandsAtOffset12) {
  RecordingTransport drive;
  const std::vector<std::uint8_t> work = TenByteAnswer(34);
  drive.recorder.modeSenseData = work;
  std::vector<std::uint8_t> out(40, kUntouched);

  EXPECT_EQ(ModeSenseCompat(drive.transport, kA, kT, 0x2A, 34, out.data()), 1);

  const auto sent = drive.recorder.WithoutInquiry();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].cdb,
            (std::vector<std::uint8_t>{0x5A, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 34, 0x00}));
  EXPECT_FALSE(sent[0].dataOut);
  EXPECT_EQ(sent[0].length, 34u);
  EXPECT_NE(sent[0].buffer, out.data());  // the work area, not the caller's buffer

  EXPECT_EQ(out[0], 0x24);  // work byte 1 + 4
  EXPECT_EQ(out[1], 0x00);
  EXPECT_EQ(out[2], 0x71);  // medium type of the 10-byte header
  EXPECT_EQ(out[3], 8);
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 4, out.begin() + 8),
            (std::vector<std::uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 8, out.begin() + 12),
            (std::vector<std::uint8_t>{0xA4, 0xA5, 0xA6, 0xA7}));
  // The page's first 22 bytes at 12..33.
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 12, out.begin() + 34),
            std::vector<std::uint8_t>(work.begin() + 8, work.begin() + 30));
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 34, out.end()),
            std::vector<std::uint8_t>(6, kUntouched));
}

TEST(ModeSenseCompatTest, Type18FailureStillConvertsAndReportsTheFailure) {
  RecordingTransport drive;
  const std::vector<std::uint8_t> work = TenByteAnswer(20);
  drive.recorder.modeSenseData = work;
  drive.recorder.status = 4;
  std::vector<std::uint8_t> out(20, kUntouched);

  EXPECT_EQ(ModeSenseCompat(drive.transport, kA, kT, 0x0E, 20, out.data()), 4);

  for (std::size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], Converted(work, i)) << i;
}

TEST(ModeSenseCompatTest, Type18FailureWithoutDataConvertsZeros) {
  RecordingTransport drive;
  drive.recorder.status = 2;
  std::vector<std::uint8_t> out(16, kUntouched);

  EXPECT_EQ(ModeSenseCompat(drive.transport, kA, kT, 0x2A, 16, out.data()), 2);

  EXPECT_EQ(out, (std::vector<std::uint8_t>{4, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Every allocation length a caller can pass, with a buffer of exactly that many bytes: the
// 10-byte command asks at most the 100-byte work area, and the conversion fills at most the
// caller's bytes and reads at most the work area.
TEST(ModeSenseCompatTest, Type18StaysInsideWorkAreaAndCallerBufferForEveryLength) {
  const std::vector<std::uint8_t> work = TenByteAnswer(255);
  for (int n = 0; n <= 255; ++n) {
    RecordingTransport drive;
    drive.recorder.modeSenseData = work;
    std::vector<std::uint8_t> out(n, kUntouched);

    EXPECT_EQ(
        ModeSenseCompat(drive.transport, kA, kT, 0x2A, static_cast<std::uint8_t>(n), out.data()),
        1);

    const auto sent = drive.recorder.WithoutInquiry();
    ASSERT_EQ(sent.size(), 1u);
    const std::uint32_t asked = std::min(n, 100);
    EXPECT_EQ(sent[0].cdb[7], 0x00);
    EXPECT_EQ(sent[0].cdb[8], asked) << "n " << n;
    EXPECT_EQ(sent[0].length, asked) << "n " << n;
    // The drive delivered `asked` bytes; the rest of the work area stays zero.
    const std::vector<std::uint8_t> delivered(work.begin(), work.begin() + asked);
    for (int i = 0; i < n; ++i) {
      const std::uint8_t expected = i < 104 ? Converted(delivered, i) : kUntouched;
      ASSERT_EQ(out[i], expected) << "n " << n << " offset " << i;
    }
  }
}

// --- ModeSelectCompat -----------------------------------------------------------------------

struct SelectModelCase {
  const char* product;
  std::uint8_t length;
};

void PrintTo(const SelectModelCase& c, std::ostream* os) {
  case_names::PrintText(c.product, os);
  *os << ", length " << int{c.length};
}

class ModeSelectSixByteModelTest : public ::testing::TestWithParam<SelectModelCase> {};

TEST_P(ModeSelectSixByteModelTest, SendsModeSelect6FromTheCallersBuffer) {
  RecordingTransport drive;
  drive.recorder.product = GetParam().product;
  std::vector<std::uint8_t> list(GetParam().length, 0x5C);
  EXPECT_EQ(ModeSelectCompat(drive.transport, kA, kT, GetParam().length, list.data()), 1);

  const auto sent = drive.recorder.WithoutInquiry();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].cdb,
            (std::vector<std::uint8_t>{0x15, 0x00, 0x00, 0x00, GetParam().length, 0x00}));
  EXPECT_TRUE(sent[0].dataOut);
  EXPECT_EQ(sent[0].length, GetParam().length);
  EXPECT_EQ(sent[0].buffer, list.data());
}

// Only DriveType 18 knows the 12-byte shortcut; the others send a 12-byte list as it is.
INSTANTIATE_TEST_SUITE_P(Models, ModeSelectSixByteModelTest,
                         ::testing::Values(SelectModelCase{testing::kProductRz5140, 12},
                                           SelectModelCase{testing::kProductCdRom, 12},
                                           SelectModelCase{testing::kProductCdRom, 0xFF}));

TEST(ModeSelectCompatTest, Type18TwelveByteListSendsNothingAndReturnsZero) {
  RecordingTransport drive;
  std::vector<std::uint8_t> list(12, 0);
  EXPECT_EQ(ModeSelectCompat(drive.transport, kA, kT, 12, list.data()), 0);
  EXPECT_TRUE(drive.recorder.WithoutInquiry().empty());
}

// A 6-byte list of `n` bytes with block descriptor length b and, when it fits, page length p
// at b + 5; every other byte numbers its own offset.
std::vector<std::uint8_t> SixByteList(std::size_t n, std::uint8_t b, std::uint8_t p) {
  std::vector<std::uint8_t> list(n);
  std::iota(list.begin(), list.end(), std::uint8_t{0});
  if (n > 3) list[3] = b;
  if (std::size_t{b} + 5 < n) list[b + 5] = p;
  return list;
}

void ExpectTenByteList(const RecordedCommand& sent, const std::vector<std::uint8_t>& list,
                       std::size_t b, std::size_t p) {
  const std::size_t total = p + 10;
  EXPECT_EQ(sent.cdb, (std::vector<std::uint8_t>{0x55, 0, 0, 0, 0, 0, 0, 0,
                                                 static_cast<std::uint8_t>(total), 0}));
  EXPECT_TRUE(sent.dataOut);
  ASSERT_EQ(sent.length, total);
  std::vector<std::uint8_t> expected(total, 0);
  expected[1] = static_cast<std::uint8_t>(p + 2);
  std::copy(list.begin() + b + 4, list.begin() + b + 6 + p, expected.begin() + 8);
  EXPECT_EQ(sent.dataSent, expected);
}

TEST(ModeSelectCompatTest, Type18MovesThePageBehindAnEightByteHeader) {
  RecordingTransport drive;
  drive.recorder.keepDataSent = true;
  const std::vector<std::uint8_t> list = SixByteList(32, 8, 0x12);
  std::vector<std::uint8_t> copy = list;

  EXPECT_EQ(ModeSelectCompat(drive.transport, kA, kT, 32, copy.data()), 1);

  const auto sent = drive.recorder.WithoutInquiry();
  ASSERT_EQ(sent.size(), 1u);
  ExpectTenByteList(sent[0], list, 8, 0x12);
  EXPECT_EQ(sent[0].dataSent[1], 0x14);
  EXPECT_EQ(sent[0].dataSent[8], 12);    // page code byte, from caller offset 12
  EXPECT_EQ(sent[0].dataSent[9], 0x12);  // page length
  EXPECT_EQ(copy, list);                 // the caller's list is not changed
}

TEST(ModeSelectCompatTest, Type18ReturnsTheModeSelect10Status) {
  RecordingTransport drive;
  drive.recorder.status = 4;
  std::vector<std::uint8_t> list = SixByteList(24, 8, 10);
  EXPECT_EQ(ModeSelectCompat(drive.transport, kA, kT, 24, list.data()), 4);
  EXPECT_EQ(drive.recorder.WithoutInquiry().size(), 1u);
}

// Every block descriptor length and page length a caller can put in a full 255-byte list: the
// list is built within its 100 bytes, or refused unsent when the page would leave the caller's
// list (b + 6 + p > n) or the 100-byte list (p > 90).
TEST(ModeSelectCompatTest, Type18EveryDescriptorAndPageLengthStaysInBounds) {
  constexpr std::size_t n = 255;
  for (std::size_t b = 0; b <= 255; ++b) {
    for (std::size_t p = 0; p <= 255; ++p) {
      RecordingTransport drive;
      drive.recorder.keepDataSent = true;
      std::vector<std::uint8_t> list =
          SixByteList(n, static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(p));
      const std::size_t pageLength = b + 5 < n ? list[b + 5] : 0;
      const bool fits = b + 5 < n && b + 6 + pageLength <= n && pageLength <= 90;

      const std::int32_t status = ModeSelectCompat(drive.transport, kA, kT, n, list.data());

      const auto sent = drive.recorder.WithoutInquiry();
      if (fits) {
        ASSERT_EQ(status, 1) << "b " << b << " p " << p;
        ASSERT_EQ(sent.size(), 1u);
        ExpectTenByteList(sent[0], list, b, pageLength);
      } else {
        ASSERT_EQ(status, kStatusRefused) << "b " << b << " p " << p;
        ASSERT_TRUE(sent.empty());
      }
    }
  }
}

// Every list length with a 10-byte page behind one block descriptor (24 bytes needed).
TEST(ModeSelectCompatTest, Type18ShortListsAreRefusedWithoutReadingPastThem) {
  for (int n = 0; n <= 255; ++n) {
    if (n == 12) continue;
    RecordingTransport drive;
    std::vector<std::uint8_t> list = SixByteList(n, 8, 10);
    const std::int32_t status =
        ModeSelectCompat(drive.transport, kA, kT, static_cast<std::uint8_t>(n), list.data());
    if (n >= 24) {
      EXPECT_EQ(status, 1) << "n " << n;
      EXPECT_EQ(drive.recorder.WithoutInquiry().size(), 1u);
    } else {
      EXPECT_EQ(status, kStatusRefused) << "n " << n;
      EXPECT_TRUE(drive.recorder.WithoutInquiry().empty());
    }
  }
}

TEST(ModeSelectCompatTest, Type18LargestPageFillsTheHundredByteList) {
  RecordingTransport drive;
  drive.recorder.keepDataSent = true;
  std::vector<std::uint8_t> list = SixByteList(104, 8, 90);
  EXPECT_EQ(ModeSelectCompat(drive.transport, kA, kT, 104, list.data()), 1);
  const auto sent = drive.recorder.WithoutInquiry();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].length, 100u);
  ExpectTenByteList(sent[0], list, 8, 90);
}

}  // namespace
}  // namespace korvel::drive
