// The disc commands other than READ TOC: positions and the Q channel, capacity, disc and track
// information, the reads of every sector kind, and the vendor reads.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"
#include "emulator/disc/DiscSectors.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

json WithDisc(json disc) {
  json target = Rz5140();
  target["disc"] = std::move(disc);
  return target;
}

// Session 1: audio 0..2999. Session 2: pre-gap 14250..14399, mode 1 14400..15399. Appendable.
json TwoSessionDisc() {
  return WithDisc({{"sessions",
                    {{{"tracks", {{{"mode", "audio"}, {"blocks", 3000}}}}},
                     {{"tracks", {{{"mode", "mode1"}, {"blocks", 1000}}}}}}},
                   {"appendable", true}});
}

// Mode 1 0..99, mode 2 XA 100..199 (pre-gap 100..149 is part of it), audio 200..299.
json ThreeModes() {
  return WithDisc({{"sessions",
                    {{{"tracks",
                       {{{"mode", "mode1"}, {"blocks", 100}},
                        {{"mode", "mode2"}, {"blocks", 50}, {"pregap", 50}},
                        {{"mode", "audio"}, {"blocks", 100}}}}}}}});
}

Bytes Seek(std::uint32_t lba) {
  return {0x2B,
          0,
          std::uint8_t(lba >> 24),
          std::uint8_t(lba >> 16),
          std::uint8_t(lba >> 8),
          std::uint8_t(lba),
          0,
          0,
          0,
          0};
}

Bytes ReadSubChannel(bool msf, bool subQ) {
  return {0x42, std::uint8_t(msf ? 0x02 : 0), std::uint8_t(subQ ? 0x40 : 0), 1, 0, 0, 0, 0, 16, 0};
}

Bytes ReadCd(std::uint8_t sectorType, std::uint32_t lba, std::uint32_t count, std::uint8_t fields) {
  return {0xBE,
          std::uint8_t(sectorType << 2),
          std::uint8_t(lba >> 24),
          std::uint8_t(lba >> 16),
          std::uint8_t(lba >> 8),
          std::uint8_t(lba),
          std::uint8_t(count >> 16),
          std::uint8_t(count >> 8),
          std::uint8_t(count),
          fields,
          0,
          0};
}

Bytes Read10(std::uint32_t lba, std::uint16_t count) {
  return {0x28,
          0,
          std::uint8_t(lba >> 24),
          std::uint8_t(lba >> 16),
          std::uint8_t(lba >> 8),
          std::uint8_t(lba),
          0,
          std::uint8_t(count >> 8),
          std::uint8_t(count),
          0};
}

TEST(PositionTest, QChannelInAPreGapAfterASeek) {
  DeviceUnderTest drive(TwoSessionDisc());
  const struct {
    std::uint32_t lba;
    bool msf;
    Bytes expected;
  } cases[] = {
      // ADR/control, track, index, absolute, relative.
      {14250, false, Hex("00 15 00 0C 01 14 02 00 00 00 37 AA FF FF FF 6A")},  // relative -150
      {14399, false, Hex("00 15 00 0C 01 14 02 00 00 00 38 3F FF FF FF FF")},  // relative -1
      {14400, false, Hex("00 15 00 0C 01 14 02 01 00 00 38 40 00 00 00 00")},
      {15399, false, Hex("00 15 00 0C 01 14 02 01 00 00 3C 27 00 00 03 E7")},
      {2999, false, Hex("00 15 00 0C 01 10 01 01 00 00 0B B7 00 00 0B B7")},
      // Between the sessions: the first session's lead-out.
      {5000, false, Hex("00 15 00 0C 01 10 AA 01 00 00 13 88 00 00 07 D0")},
      // M:S:F: 14250 is frame 14400, 03:12:00; a pre-gap counts down to index 1.
      {14250, true, Hex("00 15 00 0C 01 14 02 00 00 03 0C 00 00 00 02 00")},
      {14401, true, Hex("00 15 00 0C 01 14 02 01 00 03 0E 01 00 00 00 01")},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(drive.NoData(Seek(c.lba)).status, kStatusGood) << c.lba;
    EXPECT_EQ(Answer(drive, ReadSubChannel(c.msf, true), 16), c.expected) << c.lba;
  }
  EXPECT_EQ(Answer(drive, ReadSubChannel(false, false), 16), Hex("00 15 00 00"));
}

TEST(PositionTest, AReadMovesThePositionAndBadSeeksKeepIt) {
  DeviceUnderTest drive(TwoSessionDisc());
  ASSERT_EQ(drive.NoData(Seek(100)).status, kStatusGood);
  Bytes data(2048);
  ASSERT_EQ(drive.In(Read10(14500, 1), data).status, kStatusGood);
  EXPECT_EQ(Answer(drive, ReadSubChannel(false, true), 16),
            Hex("00 15 00 0C 01 14 02 01 00 00 38 A4 00 00 00 64"));
  EXPECT_EQ(SenseOf(drive.NoData(Seek(15400))), sense::kLbaOutOfRange);
  EXPECT_EQ(Answer(drive, ReadSubChannel(false, true), 16),
            Hex("00 15 00 0C 01 14 02 01 00 00 38 A4 00 00 00 64"));
}

TEST(CapacityTest, LastBlockOfTheLastSessionAndOfABlankDisc) {
  DeviceUnderTest twoSessions(TwoSessionDisc());
  EXPECT_EQ(Answer(twoSessions, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8),
            Hex("00 00 3C 27 00 00 08 00"));
  DeviceUnderTest blank(WithDisc({{"blank", true}}));
  EXPECT_EQ(Answer(blank, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 8), Hex("FF FF FF 69 00 00 08 00"));
  Bytes data(2048);
  EXPECT_EQ(SenseOf(blank.In(Read10(0, 1), data)), sense::kLbaOutOfRange);
  EXPECT_EQ(SenseOf(blank.In({0x08, 0, 0, 0, 1, 0}, data)), sense::kLbaOutOfRange);
  EXPECT_EQ(SenseOf(blank.In(ReadCd(0, 0, 1, 0x10), data)), sense::kLbaOutOfRange);
  EXPECT_EQ(SenseOf(blank.NoData(Seek(0))), sense::kLbaOutOfRange);
  EXPECT_EQ(blank.NoData({0, 0, 0, 0, 0, 0}).status, kStatusGood) << "a blank disc is ready";
}

TEST(DiscInformationTest, StatusBitsOfEachKindOfDisc) {
  const Bytes cdb{0x51, 0, 0, 0, 0, 0, 0, 0, 34, 0};
  const struct {
    const char* name;
    json disc;
    Bytes expected;
  } cases[] = {
      {"pressed, closed",
       {{"blocks", 1000}},
       Hex("00 20 0E 01 01 01 01 00 00 00 00 00 00 00 00 00"
           "FF FF FF FF FF FF FF FF 00 00 00 00 00 00 00 00 00 00")},
      // Empty last session (state 0), incomplete disc (1); the next session's lead-in starts
      // after the lead-out: block 22150, 04:57:25.
      {"appendable CD-R, two sessions",
       {{"sessions",
         {{{"tracks", {{{"mode", "audio"}, {"blocks", 3000}}}}},
          {{"tracks", {{{"mode", "mode2"}, {"blocks", 1000}}}}}}},
        {"appendable", true}},
       Hex("00 20 01 01 03 03 03 20 20 00 00 00 00 00 00 00"
           "00 04 39 19 00 4F 3B 4A 00 00 00 00 00 00 00 00 00 00")},
      {"blank CD-RW",
       {{"blank", true}, {"atip", {{"lead_in", "97:27:03"}, {"rewritable", true}}}},
       Hex("00 20 10 01 01 01 01 20 00 00 00 00 00 00 00 00"
           "00 61 1B 03 00 4F 3B 4A 00 00 00 00 00 00 00 00 00 00")},
      {"closed CD-RW",
       {{"blocks", 1000}, {"atip", {{"rewritable", true}}}},
       Hex("00 20 1E 01 01 01 01 20 00 00 00 00 00 00 00 00"
           "FF FF FF FF FF FF FF FF 00 00 00 00 00 00 00 00 00 00")},
      {"packet tracks in the open first session",
       {{"sessions", {{{"tracks", {{{"blocks", 300}}, {{"blocks", 1000}, {"packet", true}}}}}}},
        {"blank", true}},
       Hex("00 20 05 01 01 01 02 20 00 00 00 00 00 00 00 00"
           "00 61 18 01 00 4F 3B 4A 00 00 00 00 00 00 00 00 00 00")},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(WithDisc(c.disc));
    EXPECT_EQ(Answer(drive, cdb, 34), c.expected) << c.name;
  }
  DeviceUnderTest drive(WithDisc({{"blocks", 1000}}));
  EXPECT_EQ(Answer(drive, {0x51, 0, 0, 0, 0, 0, 0, 0, 4, 0}, 100), Hex("00 20 0E 01"));
}

TEST(TrackInformationTest, RecordedInvisibleAndPacketTracks) {
  const auto cdb = [](std::uint8_t type, std::uint32_t number) {
    return Bytes{0x52,
                 type,
                 std::uint8_t(number >> 24),
                 std::uint8_t(number >> 16),
                 std::uint8_t(number >> 8),
                 std::uint8_t(number),
                 0,
                 0,
                 36,
                 0};
  };
  DeviceUnderTest twoSessions(TwoSessionDisc());
  const Bytes track2 =
      Hex("00 22 02 02 00 04 01 00 00 00 38 40 00 00 00 00 00 00 00 00 00 00 00 00"
          "00 00 03 E8 00 00 3C 27 00 00 00 00");
  EXPECT_EQ(Answer(twoSessions, cdb(1, 2), 36), track2);
  EXPECT_EQ(Answer(twoSessions, cdb(0, 14250), 36), track2) << "the pre-gap belongs to track 2";
  EXPECT_EQ(Answer(twoSessions, cdb(2, 2), 36), track2);
  // The invisible track: where a third session would be written, up to the ATIP lead-out
  // (79:59:74 is block 359849).
  const Bytes invisible =
      Hex("00 22 03 03 00 04 CF 01 00 00 68 B0 00 00 68 B0 00 05 14 F9 00 00 00 00"
          "00 05 14 F9 00 00 00 00 00 00 00 00");
  EXPECT_EQ(Answer(twoSessions, cdb(1, 3), 36), invisible);
  EXPECT_EQ(Answer(twoSessions, cdb(1, 0xFF), 36), invisible);
  EXPECT_EQ(Answer(twoSessions, cdb(2, 3), 36), invisible);

  DeviceUnderTest packet(WithDisc(
      {{"sessions", {{{"tracks", {{{"blocks", 300}}, {{"blocks", 1000}, {"packet", true}}}}}}},
       {"blank", true}}));
  EXPECT_EQ(Answer(packet, cdb(1, 2), 28)[6], 0x21) << "packet, mode 1";
  EXPECT_EQ(Answer(packet, cdb(1, 1), 28)[6], 0x01);

  DeviceUnderTest pressed(WithDisc({{"blocks", 1000}}));
  DeviceUnderTest blank(WithDisc({{"blank", true}}));
  const struct {
    DeviceUnderTest& drive;
    Bytes cdb;
    SenseCode expected;
  } refusals[] = {
      {pressed, cdb(1, 2), sense::kInvalidFieldInCdb},  // a closed disc has no track 2
      {pressed, cdb(1, 0), sense::kInvalidFieldInCdb},
      {pressed, cdb(0, 1000), sense::kLbaOutOfRange},
      {pressed, cdb(3, 1), sense::kInvalidFieldInCdb},
      {blank, cdb(1, 2), sense::kInvalidFieldInCdb},  // only the invisible track 1
  };
  for (const auto& r : refusals) {
    Bytes data(36);
    EXPECT_EQ(SenseOf(r.drive.In(r.cdb, data)), r.expected) << int(r.cdb[1]) << int(r.cdb[5]);
  }
  EXPECT_EQ(Answer(blank, cdb(1, 1), 36)[6], 0xCF);
}

TEST(SectorTest, RawSectorsOfEachMode) {
  DeviceUnderTest drive(ThreeModes());
  const Bytes mode1 = Answer(drive, ReadCd(0, 99, 1, 0xF8), 2352);
  ASSERT_EQ(mode1.size(), 2352u);
  EXPECT_EQ(Bytes(mode1.begin(), mode1.begin() + 20),
            Hex("00 FF FF FF FF FF FF FF FF FF FF 00 00 03 24 01 00 00 00 63"));

  // Mode 2 XA, also in the pre-gap: subheader (file, channel, submode 0x08, coding) twice, then
  // the user data.
  for (const std::uint32_t lba : {120u, 160u}) {
    const Bytes mode2 = Answer(drive, ReadCd(0, lba, 1, 0xF8), 2352);
    ASSERT_EQ(mode2.size(), 2352u);
    const std::uint32_t second = (lba + 150) / 75, frame = (lba + 150) % 75;
    EXPECT_EQ(Bytes(mode2.begin() + 12, mode2.begin() + 28),
              (Bytes{0x00, std::uint8_t((second / 10) << 4 | second % 10),
                     std::uint8_t((frame / 10) << 4 | frame % 10), 0x02, 0, 0, 0x08, 0, 0, 0, 0x08,
                     0, 0, 0, 0, std::uint8_t(lba)}));
    Bytes user(2048);
    FillUserData(lba, std::span<std::uint8_t, 2048>(user));
    EXPECT_EQ(Bytes(mode2.begin() + 24, mode2.begin() + 24 + 2048), user);
    EXPECT_EQ(Answer(drive, Read10(lba, 1), 2048), user) << "READ(10) gives the user data";
    EXPECT_EQ(Answer(drive, ReadCd(4, lba, 1, 0x10), 2048), user);
    EXPECT_EQ(Answer(drive, ReadCd(0, lba, 1, 0x78), 2048 + 8 + 4 + 280).size(),
              4u + 8 + 2048 + 280)
        << "header, subheader, user data, error fields";
  }

  EXPECT_EQ(Answer(drive, ReadCd(1, 250, 1, 0x10), 2352), Bytes(2352, 0)) << "audio: silence";
  EXPECT_EQ(Answer(drive, ReadCd(0, 250, 1, 0xF8), 2352), Bytes(2352, 0));
}

TEST(SectorTest, ReadsAcrossTracksFollowEachTracksMode) {
  DeviceUnderTest drive(ThreeModes());
  // User data of a mode 1 and an XA block, then a whole audio sector: 2048 + 2048 + 2352.
  const Bytes mixed = Answer(drive, ReadCd(0, 198, 3, 0x10), 8000);
  ASSERT_EQ(mixed.size(), 2048u + 2048 + 2352);
  EXPECT_EQ(Bytes(mixed.begin(), mixed.begin() + 4), Hex("00 00 00 C6"));
  EXPECT_EQ(Bytes(mixed.begin() + 2048, mixed.begin() + 2052), Hex("00 00 00 C7"));

  const struct {
    Bytes cdb;
    SenseCode expected;
  } cases[] = {
      {Read10(199, 2), sense::kIllegalModeForThisTrack},  // into the audio track
      {Read10(250, 1), sense::kIllegalModeForThisTrack},
      {ReadCd(2, 99, 2, 0x10), sense::kIllegalModeForThisTrack},  // mode 1 expected, XA found
      {ReadCd(4, 150, 1, 0x10), {}},
      {ReadCd(3, 150, 1, 0x10), sense::kIllegalModeForThisTrack},  // formless mode 2
      {ReadCd(1, 299, 1, 0x10), {}},
      {ReadCd(1, 299, 2, 0x10), sense::kLbaOutOfRange},
      {Read10(300, 0), sense::kLbaOutOfRange},
  };
  for (const auto& c : cases) {
    Bytes data(2 * 2352, 0xAA);
    const CommandResult result = drive.In(c.cdb, data);
    EXPECT_EQ(SenseOf(result), c.expected) << int(c.cdb[0]) << " " << int(c.cdb[5]);
    if (c.expected != SenseCode{}) {
      EXPECT_EQ(data, Bytes(2 * 2352, 0xAA)) << "nothing sent";
    }
  }
}

TEST(SectorTest, BlocksBetweenSessionsCannotBeRead) {
  DeviceUnderTest drive(TwoSessionDisc());
  Bytes data(2352);
  EXPECT_EQ(SenseOf(drive.In(ReadCd(0, 3000, 1, 0x10), data)), sense::kLbaOutOfRange);
  EXPECT_EQ(SenseOf(drive.In(ReadCd(0, 14249, 1, 0x10), data)), sense::kLbaOutOfRange);
  EXPECT_EQ(drive.In(ReadCd(0, 14250, 1, 0x10), data).status, kStatusGood);
}

TEST(VendorReadTest, MemoryAndStatusFromTheScenario) {
  json target = Rz5140();
  std::string block(128, '-');
  block.replace(26, 5, "0001F");
  target["vendor_memory"] = json::array({{{"address", 0}, {"ascii", block}}});
  target["vendor_status"] = "5A 01";
  DeviceUnderTest drive(target);
  const Bytes f1{0xF1, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0};
  const Bytes memory = Answer(drive, f1, 128);
  EXPECT_EQ(Text(memory, 0, 128), block);
  Bytes beyond(129);
  EXPECT_EQ(SenseOf(drive.In({0xF1, 0, 0, 0, 0, 0, 0, 0, 0, 0x81, 0, 0}, beyond)),
            sense::kLbaOutOfRange);
  EXPECT_EQ(Answer(drive, {0xDE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 2), Hex("5A 01"));
}

TEST(NoDiscTest, DiscCommandsAreNotReadyOthersUnknown) {
  DeviceUnderTest drive(Rz6120());
  const Bytes notReady[] = {
      {0x43, 0, 0, 0, 0, 0, 0, 0, 12, 0},
      {0x42, 0, 0x40, 1, 0, 0, 0, 0, 16, 0},
      Seek(0),
      {0x51, 0, 0, 0, 0, 0, 0, 0, 34, 0},
      {0x52, 1, 0, 0, 0, 1, 0, 0, 36, 0},
      {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      Read10(0, 1),
  };
  for (const Bytes& cdb : notReady) {
    Bytes data(64);
    EXPECT_EQ(SenseOf(drive.In(cdb, data)), sense::kMediumNotPresentTrayClosed) << int(cdb[0]);
  }
  Bytes status(2, 0xEE);
  EXPECT_EQ(drive.In({0xDE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, status).status, kStatusGood);
  EXPECT_EQ(status, Hex("00 00")) << "without vendor_status";
  Bytes data(64);
  EXPECT_EQ(SenseOf(drive.In({0x44, 0, 0, 0, 0, 0, 0, 0, 8, 0}, data)), sense::kInvalidOpcode);
}

}  // namespace
}  // namespace korvel::emulator::testing
