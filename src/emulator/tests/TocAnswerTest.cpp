// READ TOC in every format on two discs, byte for byte: a pressed mixed-mode disc (a data track,
// then an audio track after a pre-gap) and an appendable two-session CD-R.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "emulator/disc/CdText.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

// Track 1: mode 1, blocks 0..999. Track 2: audio, pre-gap 1000..1149, body 1150..1649.
json MixedDisc() {
  json target = Rz5140();
  target["disc"] = {{"sessions",
                     {{{"tracks",
                        {{{"mode", "mode1"}, {"blocks", 1000}},
                         {{"mode", "audio"}, {"blocks", 500}, {"pregap", 150}}}}}}}};
  return target;
}

// Session 1: audio track 1, blocks 0..2999, lead-out 3000. Session 2 after 6750 + 4500 blocks:
// pre-gap 14250..14399, mode 1 track 2 14400..15399, lead-out 15400. Room for a third session.
json TwoSessionDisc() {
  json target = Rz5140();
  target["disc"] = {{"sessions",
                     {{{"tracks", {{{"mode", "audio"}, {"blocks", 3000}}}}},
                      {{"tracks", {{{"mode", "mode1"}, {"blocks", 1000}}}}}}},
                    {"appendable", true}};
  return target;
}

Bytes ReadToc(std::uint8_t format, std::uint8_t msfBit, std::uint8_t number,
              std::uint16_t allocation) {
  return {0x43,
          msfBit,
          format,
          0,
          0,
          0,
          number,
          std::uint8_t(allocation >> 8),
          std::uint8_t(allocation),
          0};
}

// The format in the control byte, as the position routines send it.
Bytes ReadTocControl(std::uint8_t format, std::uint16_t allocation) {
  return {0x43,
          0,
          0,
          0,
          0,
          0,
          0,
          std::uint8_t(allocation >> 8),
          std::uint8_t(allocation),
          std::uint8_t(format << 6)};
}

TEST(TocAnswerTest, MixedDiscInEveryFormat) {
  DeviceUnderTest drive(MixedDisc());
  const struct {
    const char* name;
    Bytes cdb;
    Bytes expected;
  } cases[] = {
      {"TOC, block addresses", ReadToc(0, 0, 0, 804),
       Hex("00 1A 01 02"
           "00 14 01 00 00 00 00 00"
           "00 10 02 00 00 00 04 7E"
           "00 10 AA 00 00 00 06 72")},
      {"TOC, M:S:F", ReadToc(0, 0x02, 0, 804),
       Hex("00 1A 01 02"
           "00 14 01 00 00 00 02 00"
           "00 10 02 00 00 00 11 19"
           "00 10 AA 00 00 00 18 00")},
      {"TOC from track 2", ReadToc(0, 0, 2, 804),
       Hex("00 12 01 02"
           "00 10 02 00 00 00 04 7E"
           "00 10 AA 00 00 00 06 72")},
      {"TOC, lead-out only", ReadToc(0, 0, 0xAA, 804), Hex("00 0A 01 02 00 10 AA 00 00 00 06 72")},
      {"TOC in the control byte", ReadTocControl(0, 804),
       Hex("00 1A 01 02"
           "00 14 01 00 00 00 00 00"
           "00 10 02 00 00 00 04 7E"
           "00 10 AA 00 00 00 06 72")},
      {"session information", ReadToc(1, 0, 0, 100), Hex("00 0A 01 01 00 14 01 00 00 00 00 00")},
      {"session information in the control byte", ReadTocControl(1, 100),
       Hex("00 0A 01 01 00 14 01 00 00 00 00 00")},
      {"full TOC", ReadTocControl(2, 2000),
       Hex("00 39 01 01"
           "01 14 00 A0 00 00 00 00 01 00 00"
           "01 10 00 A1 00 00 00 00 02 00 00"
           "01 10 00 A2 00 00 00 00 00 24 00"
           "01 14 00 01 00 00 00 00 00 02 00"
           "01 10 00 02 00 00 00 00 00 17 25")},
      {"no CD-TEXT: the header alone", ReadToc(5, 0, 0, 2000), Hex("00 02 00 00")},
      {"allocation length cuts, data length stays", ReadToc(0, 0, 0, 6), Hex("00 1A 01 02 00 14")},
  };
  for (const auto& c : cases) EXPECT_EQ(Answer(drive, c.cdb, 2000), c.expected) << c.name;
}

TEST(TocAnswerTest, TwoSessionRecordableDisc) {
  DeviceUnderTest drive(TwoSessionDisc());
  const struct {
    const char* name;
    Bytes cdb;
    Bytes expected;
  } cases[] = {
      {"TOC", ReadToc(0, 0, 0, 804),
       Hex("00 1A 01 02"
           "00 10 01 00 00 00 00 00"
           "00 14 02 00 00 00 38 40"
           "00 14 AA 00 00 00 3C 28")},
      {"session information: the last session's first track", ReadToc(1, 0x02, 0, 100),
       Hex("00 0A 01 02 00 14 02 00 00 03 0E 00")},
      // B0 of session 1 points at session 2's program area, that of session 2 at where a third
      // session would start (lead-out + 11400); C0 carries the ATIP lead-in in session 1.
      {"full TOC", ReadTocControl(2, 2000),
       Hex("00 7B 01 02"
           "01 10 00 A0 00 00 00 00 01 00 00"
           "01 10 00 A1 00 00 00 00 01 00 00"
           "01 10 00 A2 00 00 00 00 00 42 00"
           "01 10 00 01 00 00 00 00 00 02 00"
           "01 50 00 B0 03 14 00 00 79 59 74"
           "01 50 00 C0 00 00 00 00 97 24 01"
           "02 14 00 A0 00 00 00 00 02 00 00"
           "02 14 00 A1 00 00 00 00 02 00 00"
           "02 14 00 A2 00 00 00 00 03 27 25"
           "02 14 00 02 00 00 00 00 03 14 00"
           "02 54 00 B0 05 59 25 00 79 59 74")},
      {"full TOC from session 2", ReadToc(2, 0, 2, 2000),
       Hex("00 39 01 02"
           "02 14 00 A0 00 00 00 00 02 00 00"
           "02 14 00 A1 00 00 00 00 02 00 00"
           "02 14 00 A2 00 00 00 00 03 27 25"
           "02 14 00 02 00 00 00 00 03 14 00"
           "02 54 00 B0 05 59 25 00 79 59 74")},
      // Byte 5 bit 6: unrestricted use, as READ DISC INFORMATION of the disc says (byte 7, 0x20).
      {"ATIP", ReadToc(4, 0, 0, 32),
       Hex("00 1A 00 00 00 40 80 00 61 18 01 00 4F 3B 4A 00"
           "00 00 00 00 00 00 00 00 00 00 00 00")},
  };
  for (const auto& c : cases) EXPECT_EQ(Answer(drive, c.cdb, 2000), c.expected) << c.name;

  // The two answers that say whether the disc is for unrestricted use agree.
  const Bytes info = Answer(drive, Bytes{0x51, 0, 0, 0, 0, 0, 0, 0, 34, 0}, 34);
  const Bytes atip = Answer(drive, ReadToc(4, 0, 0, 32), 32);
  ASSERT_GE(info.size(), 8u);
  ASSERT_GE(atip.size(), 6u);
  EXPECT_EQ((info[7] & 0x20) != 0, (atip[5] & 0x40) != 0);
}

TEST(TocAnswerTest, AClosedRecordableDiscHasNoNextProgramArea) {
  json target = TwoSessionDisc();
  target["disc"]["appendable"] = false;
  target["disc"]["atip"] = {{"lead_in", "97:27:03"}, {"rewritable", true}, {"speed_code", 2}};
  DeviceUnderTest drive(target);
  const Bytes full = Answer(drive, ReadTocControl(2, 2000), 2000);
  ASSERT_EQ(full.size(), 4u + 11 * 11);
  EXPECT_EQ(Bytes(full.begin() + 4 + 10 * 11, full.end()), Hex("02 54 00 B0 FF FF FF 00 79 59 74"));
  EXPECT_EQ(Bytes(full.begin() + 4 + 5 * 11, full.begin() + 4 + 6 * 11),
            Hex("01 50 00 C0 00 00 00 00 97 27 03"));
  const Bytes atip = Answer(drive, ReadToc(4, 0, 0, 32), 32);
  ASSERT_EQ(atip.size(), 28u);
  EXPECT_EQ(atip[6], 0xC4) << "rewritable, A1 valid";
  EXPECT_EQ(atip[16], 0x02) << "the speed code";
}

TEST(TocAnswerTest, RefusedFormatsAndNumbers) {
  DeviceUnderTest pressed(MixedDisc());
  DeviceUnderTest blank(json{{"disc", {{"blank", true}}}});
  DeviceUnderTest empty(Rz6120());
  const struct {
    DeviceUnderTest& drive;
    Bytes cdb;
    SenseCode expected;
  } cases[] = {
      {pressed, ReadToc(4, 0, 0, 32), sense::kInvalidFieldInCdb},  // no ATIP on a pressed disc
      {pressed, ReadToc(3, 0, 0, 32), sense::kInvalidFieldInCdb},
      {pressed, ReadToc(0, 0, 3, 32), sense::kInvalidFieldInCdb},  // no track 3
      {pressed, ReadToc(2, 0, 2, 32), sense::kInvalidFieldInCdb},  // no session 2
      {blank, ReadToc(0, 0, 0, 32), sense::kInvalidFieldInCdb},
      {blank, ReadToc(2, 0, 0, 32), sense::kInvalidFieldInCdb},
      {empty, ReadToc(0, 0, 0, 32), sense::kMediumNotPresentTrayClosed},
  };
  for (const auto& c : cases) {
    Bytes data(32);
    EXPECT_EQ(SenseOf(c.drive.In(c.cdb, data)), c.expected) << int(c.cdb[2]) << int(c.cdb[6]);
  }
  const Bytes atip = Answer(blank, ReadToc(4, 0, 0, 32), 32);
  EXPECT_EQ(atip.size(), 28u) << "a blank disc still has its ATIP";
}

TEST(CdTextTest, CrcIsTheInvertedCcittSum) {
  // The CCITT CRC-16 (start 0) of "123456789" is 0x31C3; a pack stores it inverted.
  const std::string check = "123456789";
  EXPECT_EQ(CdTextCrc(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())),
            0xCE3C);
}

TEST(CdTextTest, PacksOfTitlesPerformersAndSizes) {
  json target = MixedDisc();
  target["disc"]["title"] = "Album";
  target["disc"]["performer"] = "Band";
  target["disc"]["sessions"][0]["tracks"][0]["title"] = "One";
  target["disc"]["sessions"][0]["tracks"][1]["title"] = "Two";
  DeviceUnderTest drive(target);
  const Bytes answer = Answer(drive, ReadToc(5, 0, 0, 2000), 2000);
  ASSERT_EQ(answer.size(), 4u + 6 * 18);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 4), Hex("00 6E 00 00"));
  // Without the CRC: type, track, sequence, character position, 12 text bytes. Strings run on
  // from pack to pack: the second title pack starts inside "Two", at its character 2.
  const Bytes expected[] = {
      Hex("80 00 00 00 41 6C 62 75 6D 00 4F 6E 65 00 54 77"),
      Hex("80 02 01 02 6F 00 00 00 00 00 00 00 00 00 00 00"),
      Hex("81 00 02 00 42 61 6E 64 00 00 00 00 00 00 00 00"),
      // Size information: character code, first and last track, copyright, pack counts of
      // types 0x80..0x8F, last sequence number of each block, language of each block.
      Hex("8F 00 03 00 00 01 02 00 02 01 00 00 00 00 00 00"),
      Hex("8F 01 04 00 00 00 00 00 00 00 00 03 05 00 00 00"),
      Hex("8F 02 05 00 00 00 00 00 09 00 00 00 00 00 00 00"),
  };
  for (std::size_t k = 0; k < 6; ++k) {
    const auto pack = answer.begin() + 4 + k * 18;
    EXPECT_EQ(Bytes(pack, pack + 16), expected[k]) << k;
    const std::uint16_t crc = CdTextCrc(std::span(&*pack, 16));
    EXPECT_EQ(pack[16], crc >> 8) << k;
    EXPECT_EQ(pack[17], crc & 0xFF) << k;
  }
}

}  // namespace
}  // namespace korvel::emulator::testing
