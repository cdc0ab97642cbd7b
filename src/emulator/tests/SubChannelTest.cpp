// READ SUB-CHANNEL byte for byte: the Q sub-channel data of SCSI-2 (format 0), the current
// position (1), the media catalog number (2) and a track's ISRC (3), on discs with and without
// the codes, in block and M:S:F addresses, and cut to the host's allocation length.
#include <gtest/gtest.h>

#include <optional>

#include "DeviceTestSupport.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

// Audio 0..299 with an ISRC; audio with a pre-gap 300..449, index 1 at 450, none; mode 1 with a
// pre-gap 750..899, index 1 at 900. The disc carries a catalog number.
json CodedDisc() {
  json target = Rz5140();
  target["disc"] = {{"sessions",
                     {{{"tracks",
                        {{{"mode", "audio"}, {"blocks", 300}, {"isrc", "XX9X91500042"}},
                         {{"mode", "audio"}, {"blocks", 300}, {"pregap", 150}},
                         {{"mode", "mode1"}, {"blocks", 200}, {"pregap", 150}}}}}}},
                    {"catalog", "4999123456780"}};
  return target;
}

json PlainDisc() {
  return Rz5140();  // one mode 1 track of 1000 blocks, no codes
}

json BlankDisc() {
  json target = Rz5140();
  target["disc"] = {{"blank", true}};
  return target;
}

Bytes SubChannel(bool msf, bool subQ, std::uint8_t format, std::uint8_t track,
                 std::uint16_t allocation) {
  return {0x42,  std::uint8_t(msf ? 0x02 : 0),  std::uint8_t(subQ ? 0x40 : 0), format, 0, 0,
          track, std::uint8_t(allocation >> 8), std::uint8_t(allocation),      0};
}

Bytes SeekTo(std::uint32_t lba) {
  return {0x2B, 0, 0, 0, std::uint8_t(lba >> 8), std::uint8_t(lba), 0, 0, 0, 0};
}

// "4999123456780" and "XX9X91500042" in ASCII.
constexpr std::string_view kMcn = "34 39 39 39 31 32 33 34 35 36 37 38 30";
constexpr std::string_view kIsrc = "58 58 39 58 39 31 35 30 30 30 34 32";
constexpr std::string_view kZeros15 = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) (text += part) += ' ';
  return text;
}

struct SubChannelCase {
  const char* name;
  json (*disc)();
  std::optional<std::uint32_t> seek;  // the block sought first
  Bytes cdb;
  std::string expected;  // the bytes sent, or empty for a refusal
  SenseCode refusal{};
};

TEST(SubChannelTest, AnswersEachFormatByteForByte) {
  const SubChannelCase cases[] = {
      // Format 2: header, format code, 3 reserved, MCVal, 13 digits, a zero, AFRAME.
      {"CatalogNumber", CodedDisc, std::nullopt, SubChannel(false, true, 2, 0, 24),
       Join({"00 15 00 14 02 00 00 00 80", kMcn, "00 00"})},
      {"CatalogNumberIgnoresMsf", CodedDisc, std::nullopt, SubChannel(true, true, 2, 0, 24),
       Join({"00 15 00 14 02 00 00 00 80", kMcn, "00 00"})},
      {"NoCatalogNumber", PlainDisc, std::nullopt, SubChannel(false, true, 2, 0, 24),
       Join({"00 15 00 14 02 00 00 00 00", kZeros15})},
      {"CatalogNumberCut", CodedDisc, std::nullopt, SubChannel(false, true, 2, 0, 10),
       "00 15 00 14 02 00 00 00 80 34"},
      // Format 3: header, format code, ADR/control, track, reserved, TCVal, 12 characters, a zero,
      // AFRAME, reserved. ADR 3 where the track's Q channel carries its ISRC.
      {"IsrcOfTrack1", CodedDisc, std::nullopt, SubChannel(false, true, 3, 1, 24),
       Join({"00 15 00 14 03 30 01 00 80", kIsrc, "00 00 00"})},
      {"IsrcOfTrack1Msf", CodedDisc, std::nullopt, SubChannel(true, true, 3, 1, 24),
       Join({"00 15 00 14 03 30 01 00 80", kIsrc, "00 00 00"})},
      {"AudioTrackWithoutIsrc", CodedDisc, std::nullopt, SubChannel(false, true, 3, 2, 24),
       Join({"00 15 00 14 03 10 02 00 00", kZeros15})},
      {"DataTrackWithoutIsrc", CodedDisc, std::nullopt, SubChannel(false, true, 3, 3, 24),
       Join({"00 15 00 14 03 14 03 00 00", kZeros15})},
      {"IsrcCut", CodedDisc, std::nullopt, SubChannel(false, true, 3, 1, 12),
       "00 15 00 14 03 30 01 00 80 58 58 39"},
      {"IsrcOfATrackNotOnTheDisc", CodedDisc, std::nullopt, SubChannel(false, true, 3, 4, 24), "",
       sense::kInvalidFieldInCdb},
      {"IsrcOfTrack0", CodedDisc, std::nullopt, SubChannel(false, true, 3, 0, 24), "",
       sense::kInvalidFieldInCdb},
      {"IsrcOfTheLeadOut", CodedDisc, std::nullopt, SubChannel(false, true, 3, 0xAA, 24), "",
       sense::kInvalidFieldInCdb},
      // Format 0: the current position, then MCVal and the 15-byte catalog field, then TCVal and
      // the 15-byte ISRC field of the track at the position.
      {"SubQInTrack1", CodedDisc, 100, SubChannel(false, true, 0, 0, 48),
       Join({"00 15 00 2C 00 10 01 01 00 00 00 64 00 00 00 64 80", kMcn, "00 00 80", kIsrc,
             "00 00 00"})},
      // Block 100 is frame 250, 00:03:25; 100 blocks into the track is 00:01:25.
      {"SubQInTrack1Msf", CodedDisc, 100, SubChannel(true, true, 0, 0, 48),
       Join({"00 15 00 2C 00 10 01 01 00 00 03 19 00 00 01 19 80", kMcn, "00 00 80", kIsrc,
             "00 00 00"})},
      // The pre-gap of track 2 is track 2, index 0, 50 blocks before index 1; no ISRC there.
      {"SubQInAPreGap", CodedDisc, 400, SubChannel(false, true, 0, 0, 48),
       Join({"00 15 00 2C 00 10 02 00 00 00 01 90 FF FF FF CE 80", kMcn, "00 00 00", kZeros15})},
      {"SubQWithoutCodes", PlainDisc, 5, SubChannel(false, true, 0, 0, 48),
       Join({"00 15 00 2C 00 14 01 01 00 00 00 05 00 00 00 05 00", kZeros15, "00", kZeros15})},
      {"SubQCut", CodedDisc, 100, SubChannel(false, true, 0, 0, 20),
       "00 15 00 2C 00 10 01 01 00 00 00 64 00 00 00 64 80 34 39 39"},
      // Format 1 stays as it was: 12 bytes of position after the header.
      {"CurrentPosition", CodedDisc, 460, SubChannel(false, true, 1, 0, 16),
       "00 15 00 0C 01 10 02 01 00 00 01 CC 00 00 00 0A"},
      {"HeaderOnlyWithoutSubQ", CodedDisc, std::nullopt, SubChannel(false, false, 2, 0, 24),
       "00 15 00 00"},
      {"UnknownFormat", CodedDisc, std::nullopt, SubChannel(false, true, 4, 0, 24), "",
       sense::kInvalidFieldInCdb},
      {"BlankDiscCatalog", BlankDisc, std::nullopt, SubChannel(false, true, 2, 0, 24), "",
       sense::kInvalidFieldInCdb},
      {"BlankDiscSubQ", BlankDisc, std::nullopt, SubChannel(false, true, 0, 0, 48), "",
       sense::kInvalidFieldInCdb},
  };
  for (const SubChannelCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceUnderTest drive(c.disc());
    if (c.seek) {
      ASSERT_EQ(drive.NoData(SeekTo(*c.seek)).status, kStatusGood);
    }
    if (c.expected.empty()) {
      Bytes data(64);
      EXPECT_EQ(SenseOf(drive.In(c.cdb, data)), c.refusal);
    } else {
      EXPECT_EQ(Answer(drive, c.cdb, 64), Hex(c.expected));
    }
  }
}

}  // namespace
}  // namespace korvel::emulator::testing
