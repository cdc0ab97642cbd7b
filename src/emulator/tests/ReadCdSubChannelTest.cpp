// READ CD's C2 error field and sub-channel data, byte for byte. Every Q channel, CRC and raw P-W
// byte below was computed apart from this code (a short script of the CRC-16 bit by bit), never
// by the drive's own functions.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "DeviceTestSupport.h"
#include "emulator/disc/SubChannel.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

// Track 1: audio 0..299. Track 2: audio, a 75-block pre-gap 300..374, index 1 from 375 to 474.
// Track 3: mode 1, pre-gap 475..624, index 1 from 625 to 724. Lead-out 725.
json PreGapDisc() {
  json target = Rz5140();
  target["disc"] = {{"sessions",
                     {{{"tracks",
                        {{{"mode", "audio"}, {"blocks", 300}},
                         {{"mode", "audio"}, {"blocks", 100}, {"pregap", 75}},
                         {{"mode", "mode1"}, {"blocks", 100}, {"pregap", 150}}}}}}}};
  return target;
}

constexpr std::uint8_t kRawPw = 0x01;  // byte 10
constexpr std::uint8_t kFormattedQ = 0x02;
constexpr std::uint8_t kRw = 0x04;
constexpr std::uint8_t kC2 = 0x02;  // byte 9
constexpr std::uint8_t kC2AndBlockError = 0x04;
constexpr std::uint8_t kUserData = 0x10;
constexpr std::uint8_t kWholeSector = 0xF8;

Bytes ReadCd(std::uint32_t lba, std::uint32_t count, std::uint8_t fields, std::uint8_t subChannel) {
  return {0xBE,
          0,
          std::uint8_t(lba >> 24),
          std::uint8_t(lba >> 16),
          std::uint8_t(lba >> 8),
          std::uint8_t(lba),
          std::uint8_t(count >> 16),
          std::uint8_t(count >> 8),
          std::uint8_t(count),
          fields,
          subChannel,
          0};
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t length) {
  return Bytes(bytes.begin() + from, bytes.begin() + from + length);
}

TEST(SubChannelCrcTest, IndependentValues) {
  const std::string check = "123456789";
  // The catalogue check value of this CRC (polynomial 0x1021, start 0, result inverted).
  EXPECT_EQ(
      SubChannelCrc(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())),
      0xCE3C);
  EXPECT_EQ(SubChannelCrc(Bytes(10, 0)), 0xFFFF);
  EXPECT_EQ(SubChannelCrc(Hex("01 02 00 00 01 00 00 00 06 00")), 0xB9DB);
  EXPECT_EQ(SubChannelCrc(Hex("41 03 01 00 01 00 00 00 11 25")), 0x8912);
}

struct QCase {
  const char* name;
  std::uint32_t lba;
  const char* formattedQ;  // control/ADR, track, index, relative M:S:F, 0, absolute, CRC, pad, P
  const char* rawPw;       // empty: checked only against the formatted Q
};

void PrintTo(const QCase& c, std::ostream* out) {
  *out << c.name << " (block " << c.lba << ")";
}

class QChannelTest : public ::testing::TestWithParam<QCase> {};

TEST_P(QChannelTest, FormattedQAndRawPwOfTheBlock) {
  const QCase& c = GetParam();
  DeviceUnderTest drive(PreGapDisc());
  const Bytes q = Hex(c.formattedQ);
  EXPECT_EQ(Answer(drive, ReadCd(c.lba, 1, 0, kFormattedQ), 100), q) << "formatted Q alone";

  const Bytes raw = Answer(drive, ReadCd(c.lba, 1, 0, kRawPw), 200);
  ASSERT_EQ(raw.size(), 96u);
  if (*c.rawPw != '\0') {
    EXPECT_EQ(raw, Hex(c.rawPw));
  }
  // Bit 6 of the 96 bytes is the Q channel, most significant bit first; bit 7 the P flag.
  Bytes qBits(12, 0);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    qBits[i / 8] |= std::uint8_t(((raw[i] >> 6) & 1) << (7 - i % 8));
    EXPECT_EQ(raw[i] & 0x80, q[15]) << "P, byte " << i;
    EXPECT_EQ(raw[i] & 0x3F, 0) << "R..W, byte " << i;
  }
  EXPECT_EQ(qBits, Slice(q, 0, 12));

  const Bytes sector = Answer(drive, ReadCd(c.lba, 1, kWholeSector, 0), 2352);
  const Bytes both = Answer(drive, ReadCd(c.lba, 1, kWholeSector, kFormattedQ), 3000);
  ASSERT_EQ(both.size(), 2352u + 16);
  EXPECT_EQ(Slice(both, 0, 2352), sector);
  EXPECT_EQ(Slice(both, 2352, 16), q);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, QChannelTest,
    ::testing::Values(
        // Audio pre-gap of track 2: index 0, 00:01:00 to go, absolute 00:06:00, P set.
        QCase{"PreGapStart", 300, "01 02 00 00 01 00 00 00 06 00 B9 DB 00 00 00 80",
              "80 80 80 80 80 80 80 C0 80 80 80 80 80 80 C0 80 80 80 80 80 80 80 80 80"
              "80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 C0 80 80 80 80 80 80 80 80"
              "80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 80 C0 C0 80"
              "80 80 80 80 80 80 80 80 C0 80 C0 C0 C0 80 80 C0 C0 C0 80 C0 C0 80 C0 C0"},
        QCase{"PreGapLastBlock", 374, "01 02 00 00 00 01 00 00 06 74 68 39 00 00 00 80", ""},
        // Index 1 of track 2: relative 00:00:00, P clear.
        QCase{"IndexOneOfTrackTwo", 375, "01 02 01 00 00 00 00 00 07 00 88 99 00 00 00 00",
              "00 00 00 00 00 00 00 40 00 00 00 00 00 00 40 00 00 00 00 00 00 00 00 40"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 40 40 40"
              "00 00 00 00 00 00 00 00 40 00 00 00 40 00 00 00 40 00 00 40 40 00 00 40"},
        // A data track: control nibble 4, also in its pre-gap.
        QCase{"DataTrackPreGap", 475, "41 03 00 00 02 00 00 00 08 25 B9 CA 00 00 00 80", ""},
        QCase{"DataTrack", 700, "41 03 01 00 01 00 00 00 11 25 89 12 00 00 00 00",
              "00 40 00 00 00 00 00 40 00 00 00 00 00 00 40 40 00 00 00 00 00 00 00 40"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 40 00 00 00 00 00 00 00 00"
              "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 40 00 00 00 40"
              "00 00 40 00 00 40 00 40 40 00 00 00 40 00 00 40 00 00 00 40 00 00 40 00"}),
    [](const ::testing::TestParamInfo<QCase>& info) { return std::string(info.param.name); });

TEST(ReadCdFieldsTest, BytesPerBlockOfEachSelection) {
  DeviceUnderTest drive(PreGapDisc());
  const struct {
    std::uint32_t lba;
    std::uint8_t fields;
    std::uint8_t subChannel;
    std::size_t size;
  } cases[] = {
      {375, 0, 0, 0},
      {375, kC2, 0, 294},
      {375, kC2AndBlockError, 0, 296},
      {375, 0, kFormattedQ, 16},
      {375, 0, kRawPw, 96},
      // An audio block has no fields: any sector field selects its 2352 bytes.
      {375, kWholeSector | kC2, kRawPw, 2352 + 294 + 96},
      {375, kUserData | kC2AndBlockError, kFormattedQ, 2352 + 296 + 16},
      {700, kWholeSector | kC2AndBlockError, kRawPw, 2744},
      {700, kUserData, kFormattedQ, 2048 + 16},
      {700, kUserData | kC2, 0, 2048 + 294},
      {700, 0x20, kRawPw, 4 + 96},  // the header alone
      {700, kC2AndBlockError, kFormattedQ, 296 + 16},
  };
  for (const auto& c : cases) {
    Bytes data(4000, 0xAA);
    const CommandResult result = drive.In(ReadCd(c.lba, 1, c.fields, c.subChannel), data);
    EXPECT_EQ(result.status, kStatusGood) << c.lba << " " << int(c.fields);
    EXPECT_EQ(result.transferred, c.size)
        << c.lba << " " << int(c.fields) << " " << int(c.subChannel);
  }
}

// The C2 field follows the sector's fields and precedes the sub-channel; an emulated disc has no
// errors, so every C2 bit, the block error byte and its pad are zero.
TEST(ReadCdFieldsTest, SectorThenC2ThenSubChannel) {
  DeviceUnderTest drive(PreGapDisc());
  const Bytes sector = Answer(drive, ReadCd(700, 1, kWholeSector, 0), 2352);
  const Bytes q = Answer(drive, ReadCd(700, 1, 0, kFormattedQ), 16);
  const Bytes all =
      Answer(drive, ReadCd(700, 1, kWholeSector | kC2AndBlockError, kFormattedQ), 2352 + 296 + 16);
  ASSERT_EQ(all.size(), 2352u + 296 + 16);
  EXPECT_EQ(Slice(all, 0, 2352), sector);
  EXPECT_EQ(Slice(all, 2352, 296), Bytes(296, 0));
  EXPECT_EQ(Slice(all, 2352 + 296, 16), q);
  EXPECT_EQ(Answer(drive, ReadCd(375, 1, kC2, 0), 294), Bytes(294, 0));
}

TEST(ReadCdFieldsTest, RefusedSelectionsSendNothing) {
  DeviceUnderTest drive(PreGapDisc());
  const Bytes refused[] = {
      ReadCd(700, 1, kWholeSector, kRw),  // R-W: page 2A says the drive reads none
      ReadCd(375, 1, kWholeSector, kRw),
      ReadCd(700, 1, kWholeSector | 0x06, 0),  // C2 field 11: reserved
      ReadCd(700, 1, 0x06, kFormattedQ),
      ReadCd(700, 1, kWholeSector, 0x03),
      ReadCd(700, 1, kWholeSector, 0x05),
      ReadCd(700, 1, kWholeSector, 0x07),
      ReadCd(700, 1, kWholeSector, 0x08 | kRawPw),  // reserved bits of byte 10
      ReadCd(700, 1, kUserData | 0x01, kRawPw),     // the reserved bit of byte 9
  };
  for (const Bytes& cdb : refused) {
    Bytes data(3000, 0xAA);
    EXPECT_EQ(SenseOf(drive.In(cdb, data)), sense::kInvalidFieldInCdb)
        << int(cdb[9]) << " " << int(cdb[10]);
    EXPECT_EQ(data, Bytes(3000, 0xAA)) << "nothing sent";
  }
}

TEST(ReadCdFieldsTest, BlocksAcrossTrackBoundaries) {
  DeviceUnderTest drive(PreGapDisc());
  // The end of track 2's pre-gap and its index 1: the relative time counts down, then up.
  EXPECT_EQ(Answer(drive, ReadCd(373, 4, 0, kFormattedQ), 100),
            Hex("01 02 00 00 00 02 00 00 06 73 F6 0C 00 00 00 80"
                "01 02 00 00 00 01 00 00 06 74 68 39 00 00 00 80"
                "01 02 01 00 00 00 00 00 07 00 88 99 00 00 00 00"
                "01 02 01 00 00 01 00 00 07 01 32 E9 00 00 00 00"));

  // The last audio block and the first block of the data track's pre-gap, each sector with its
  // own Q channel.
  const Bytes audio = Answer(drive, ReadCd(474, 1, kWholeSector, 0), 2352);
  const Bytes data = Answer(drive, ReadCd(475, 1, kWholeSector, 0), 2352);
  const Bytes two = Answer(drive, ReadCd(474, 2, kWholeSector, kFormattedQ), 6000);
  ASSERT_EQ(two.size(), 2u * (2352 + 16));
  EXPECT_EQ(Slice(two, 0, 2352), audio);
  EXPECT_EQ(Slice(two, 2352, 16), Hex("01 02 01 00 01 24 00 00 08 24 38 53 00 00 00 00"));
  EXPECT_EQ(Slice(two, 2368, 2352), data);
  EXPECT_EQ(Slice(two, 2368 + 2352, 16), Hex("41 03 00 00 02 00 00 00 08 25 B9 CA 00 00 00 80"));

  // A buffer shorter than the blocks takes what it holds: one block of 2744 bytes, then the
  // start of the next.
  const Bytes first = Answer(drive, ReadCd(474, 1, kWholeSector | kC2AndBlockError, kRawPw), 2744);
  const Bytes second = Answer(drive, ReadCd(475, 1, kWholeSector | kC2AndBlockError, kRawPw), 2744);
  Bytes partial(3000, 0xAA);
  const CommandResult result =
      drive.In(ReadCd(474, 2, kWholeSector | kC2AndBlockError, kRawPw), partial);
  ASSERT_EQ(result.transferred, 3000u);
  EXPECT_EQ(Slice(partial, 0, 2744), first);
  EXPECT_EQ(Slice(partial, 2744, 256), Slice(second, 0, 256));
}

// A disc with a media catalog number and ISRCs records them in the Q channel in place of the
// position, in block 40 (catalog) and 90 (ISRC, in a track's body) of every hundred, never at an
// index change. Track 1: audio 0..339 with an ISRC; track 2: pre-gap 340..414, body 415..514.
TEST(RecordedCodesTest, CatalogAndIsrcFramesTakeTheirBlocksOfEveryHundred) {
  json target = Rz5140();
  target["disc"] = {
      {"catalog", "0999000010011"},
      {"sessions",
       {{{"tracks",
          {{{"mode", "audio"}, {"blocks", 340}, {"isrc", "XXKVL9900001"}},
           {{"mode", "audio"}, {"blocks", 100}, {"pregap", 75}, {"isrc", "XXKVL9900002"}}}}}}}};
  const struct {
    std::uint32_t lba;
    const char* recordedQ;  // the 12 Q bytes; the formatted Q adds 3 zero bytes and the P byte
    std::uint8_t p;
  } cases[] = {
      // ADR 2: 13 BCD digits, zero bits, the absolute frame, CRC.
      {140, "02 09 99 00 00 10 01 10 00 65 77 1B", 0x00},
      // ADR 3: 5 six-bit characters, 2 zero bits, 7 BCD digits, zero bits, the frame, CRC.
      {190, "03 A2 86 E6 70 99 00 00 10 40 D4 48", 0x00},
      // The first block of track 2's pre-gap stays a position, though it is block 40 of a hundred.
      {340, "01 02 00 00 01 00 00 00 06 40 F1 1F", 0x80},
      // No ISRC in a pre-gap.
      {390, "01 02 00 00 00 25 00 00 07 15 A6 3D", 0x80},
      {440, "02 09 99 00 00 10 01 10 00 65 77 1B", 0x00},
      {490, "03 A2 86 E6 70 99 00 00 20 40 D1 DD", 0x00},
  };
  DeviceUnderTest drive(target);
  for (const auto& c : cases) {
    Bytes data(kFormattedQSize, 0xEE);
    ASSERT_EQ(drive.In(ReadCd(c.lba, 1, 0, kFormattedQ), data).status, kStatusGood) << c.lba;
    Bytes expected = Hex(c.recordedQ);
    expected.insert(expected.end(), {0, 0, 0, c.p});
    EXPECT_EQ(data, expected) << c.lba;
    // Raw P-W carries the same Q, one bit a byte in bit 6.
    Bytes raw(kRawSubChannelSize, 0xEE);
    ASSERT_EQ(drive.In(ReadCd(c.lba, 1, 0, kRawPw), raw).status, kStatusGood) << c.lba;
    Bytes q(kQChannelSize, 0);
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] & 0x40) q[i / 8] |= std::uint8_t(0x80 >> (i % 8));
    }
    EXPECT_EQ(q, Hex(c.recordedQ)) << c.lba;
  }
}

}  // namespace
}  // namespace korvel::emulator::testing
