// CUE sheets as text: what each command gives, and every refusal with the line it names.
#include "emulator/images/CueSheet.h"

#include <gtest/gtest.h>

#include "emulator/ConfigError.h"

namespace korvel::emulator {
namespace {

std::string ErrorOf(std::string_view text) {
  try {
    ParseCueSheet(text, "disc.cue");
  } catch (const ConfigError& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST(CueSheetTest, ReadsAnAudioSheetWithTextsGapsAndSessions) {
  const CueSheet sheet = ParseCueSheet(
      "\xEF\xBB\xBFREM GENRE Demo\r\n"
      "CATALOG 0000000000000\r\n"
      "PERFORMER \"The Korvel Band\"\r\n"
      "TITLE \"Sample  Disc\"\r\n"
      "REM SESSION 01\r\n"
      "file \"audio one.bin\" binary\r\n"
      "  TRACK 01 AUDIO\r\n"
      "    TITLE First\r\n"
      "    FLAGS DCP\r\n"
      "    INDEX 01 00:00:00\r\n"
      "  TRACK 02 AUDIO\r\n"
      "    PERFORMER \"Guest\"\r\n"
      "    ISRC ABCDE1234567\r\n"
      "    INDEX 00 01:58:70\r\n"
      "    INDEX 01 02:00:00\r\n"
      "    INDEX 02 02:10:00\r\n"
      "    POSTGAP 00:01:00\r\n"
      "FILE two.bin BINARY\r\n"
      "  TRACK 03 AUDIO\r\n"
      "    PREGAP 00:02:00\r\n"
      "    INDEX 01 00:00:00\r\n"
      "REM SESSION 02\r\n"
      "FILE \"data.bin\" BINARY\r\n"
      "  TRACK 04 MODE2/2352\r\n"
      "    INDEX 01 00:00:00\r\n",
      "disc.cue");
  EXPECT_EQ(sheet.title, "Sample  Disc");
  EXPECT_EQ(sheet.performer, "The Korvel Band");
  ASSERT_EQ(sheet.files.size(), 3u);
  EXPECT_EQ(sheet.files[0].name, "audio one.bin");
  EXPECT_EQ(sheet.files[0].line, 6);
  EXPECT_EQ(sheet.files[1].name, "two.bin");
  ASSERT_EQ(sheet.tracks.size(), 4u);
  const CueTrack& first = sheet.tracks[0];
  EXPECT_EQ(first.title, "First");
  EXPECT_EQ(first.session, 1);
  EXPECT_FALSE(first.index0);
  EXPECT_EQ(first.index1.frames, 0u);
  const CueTrack& second = sheet.tracks[1];
  EXPECT_EQ(second.number, 2);
  EXPECT_EQ(second.performer, "Guest");
  ASSERT_TRUE(second.index0);
  EXPECT_EQ(second.index0->frames, 1u * 4500 + 58 * 75 + 70);
  EXPECT_EQ(second.index0->line, 14);
  EXPECT_EQ(second.index1.frames, 2u * 4500);
  EXPECT_EQ(second.index1.file, 0u);
  EXPECT_EQ(second.postgap, 75u);
  const CueTrack& third = sheet.tracks[2];
  EXPECT_EQ(third.index1.file, 1u);
  EXPECT_EQ(third.pregap, 150u);
  EXPECT_EQ(third.line, 19);
  const CueTrack& fourth = sheet.tracks[3];
  EXPECT_EQ(fourth.session, 2);
  EXPECT_EQ(fourth.type, CueTrackType::Mode2_2352);
  EXPECT_EQ(fourth.index1.file, 2u);
}

TEST(CueSheetTest, TakesEachTrackTypeAndAPreGapHeldInThePreviousFile) {
  const CueSheet sheet = ParseCueSheet(
      "FILE a.bin BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00\n"
      "TRACK 02 AUDIO\nINDEX 01 00:10:00\nTRACK 03 AUDIO\nINDEX 00 00:20:00\n"
      "FILE b.bin BINARY\nINDEX 01 00:00:00\n"
      "FILE c.iso BINARY\nTRACK 04 MODE1/2048\nINDEX 01 00:00:00\n",
      "disc.cue");
  ASSERT_EQ(sheet.tracks.size(), 4u);
  EXPECT_EQ(sheet.tracks[0].type, CueTrackType::Mode1_2352);
  EXPECT_EQ(sheet.tracks[1].type, CueTrackType::Audio);
  EXPECT_EQ(sheet.tracks[2].index0->file, 0u);
  EXPECT_EQ(sheet.tracks[2].index1.file, 1u);
  EXPECT_EQ(sheet.tracks[3].type, CueTrackType::Mode1_2048);
  EXPECT_EQ(SectorSizeOf(CueTrackType::Mode1_2048), 2048u);
  EXPECT_EQ(SectorSizeOf(CueTrackType::Mode2_2352), 2352u);
}

TEST(CueSheetTest, RefusesFaultsNamingTheirLine) {
  constexpr std::string_view kStart = "FILE a.bin BINARY\nTRACK 01 AUDIO\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"", "disc.cue line 0: the sheet has no TRACK"},
      {"REM only a comment\n", "disc.cue line 1: the sheet has no TRACK"},
      {"TRACK 01 AUDIO\n", "disc.cue line 1: TRACK before any FILE"},
      {"FILE a.bin WAVE\n", "disc.cue line 1: FILE of type WAVE: only BINARY files are taken"},
      {"FILE \"a.bin BINARY\n", "disc.cue line 1: a quote is not closed"},
      {"FILE a.bin\n", "disc.cue line 1: expected FILE \"name\" BINARY"},
      {"FILE \"\" BINARY\n", "disc.cue line 1: FILE names no file"},
      {"FILE a.bin BINARY\nTRACK 02 AUDIO\n",
       "disc.cue line 2: TRACK 02 where track 1 comes next; tracks are numbered 1, 2, 3 ..."},
      {"FILE a.bin BINARY\nTRACK 01 MODE2/2336\n",
       "disc.cue line 2: track type MODE2/2336 is not taken (AUDIO, MODE1/2048, MODE1/2352 or "
       "MODE2/2352)"},
      {std::string(kStart), "disc.cue line 2: track 1 has no INDEX 01"},
      {std::string(kStart) + "INDEX 00 00:00:00\nTRACK 02 AUDIO\n",
       "disc.cue line 2: track 1 has no INDEX 01"},
      {std::string(kStart) + "INDEX 01 00:01:00\n",
       "disc.cue line 3: the first INDEX of a FILE must be at 00:00:00"},
      {std::string(kStart) + "INDEX 02 00:00:00\n",
       "disc.cue line 3: INDEX 02 where index 1 comes next"},
      {std::string(kStart) + "INDEX 01 00:60:00\n",
       "disc.cue line 3: \"00:60:00\" is not a time mm:ss:ff (minutes to 99, seconds to 59, frames "
       "to 74)"},
      {std::string(kStart) + "INDEX 01 00:00:75\n",
       "disc.cue line 3: \"00:00:75\" is not a time mm:ss:ff (minutes to 99, seconds to 59, frames "
       "to 74)"},
      {std::string(kStart) + "INDEX 01 100:00:00\n",
       "disc.cue line 3: \"100:00:00\" is not a time mm:ss:ff (minutes to 99, seconds to 59, "
       "frames to 74)"},
      {std::string(kStart) + "INDEX 01 0:0\n",
       "disc.cue line 3: \"0:0\" is not a time mm:ss:ff (minutes to 99, seconds to 59, frames to "
       "74)"},
      {std::string(kStart) + "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
       "disc.cue line 5: INDEX 01 at 00:00:00 does not come after the INDEX before it"},
      {std::string(kStart) + "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 00:05:00\n"
                             "INDEX 01 00:04:00\n",
       "disc.cue line 6: INDEX 01 at 00:04:00 does not come after the INDEX before it"},
      {std::string(kStart) + "INDEX 01 00:00:00\nFILE b.bin BINARY\nINDEX 02 00:00:00\n",
       "disc.cue line 5: INDEX 02 is not in the FILE of the track's INDEX 01"},
      {"FILE a.bin BINARY\nINDEX 01 00:00:00\n", "disc.cue line 2: INDEX outside a TRACK"},
      {std::string(kStart) + "PREGAP 00:02:00\nINDEX 00 00:00:00\n",
       "disc.cue line 4: a track takes PREGAP or INDEX 00, not both"},
      {std::string(kStart) + "INDEX 01 00:00:00\nPREGAP 00:02:00\n",
       "disc.cue line 4: PREGAP after an INDEX; it comes right after TRACK"},
      {std::string(kStart) + "POSTGAP 00:02:00\n",
       "disc.cue line 3: POSTGAP before the track's INDEX 01"},
      {std::string(kStart) + "INDEX 01 00:00:00\nPOSTGAP 00:02:00\nINDEX 02 00:03:00\n",
       "disc.cue line 5: INDEX after POSTGAP"},
      {std::string(kStart) + "INDEX 01 00:00:00\nTITLE \"" + std::string(161, 'x') + "\"\n",
       "disc.cue line 4: TITLE is longer than 160 characters"},
      {std::string(kStart) + "INDEX 01 00:00:00\nPERFORMER \"Caf\xC3\xA9\"\n",
       "disc.cue line 4: PERFORMER takes printable ASCII characters only"},
      {std::string(kStart) + "INDEX 01 00:00:00\nSIZE_INFO 1\n",
       "disc.cue line 4: unknown command \"SIZE_INFO\""},
      {std::string(kStart) + "INDEX 01 00:00:00\nTITLE \"a\x1b[2Jb\"\n",
       "disc.cue line 4: control character 0x1B"},
      {"REM SESSION 02\n", "disc.cue line 1: REM SESSION 02 where session 1 comes next"},
      {"REM SESSION 01\n", "disc.cue line 1: REM SESSION is followed by no TRACK"},
      {std::string(kStart) + "INDEX 01 00:00:00\nREM SESSION 03\n",
       "disc.cue line 4: REM SESSION 03 where session 2 comes next"},
      {std::string(kStart) + "INDEX 01 00:00:00\nREM SESSION 02\nREM SESSION 03\n",
       "disc.cue line 4: REM SESSION is followed by no TRACK"},
      {std::string(kStart) + "INDEX 01 00:00:00\nFILE b.bin BINARY\n",
       "disc.cue line 4: FILE \"b.bin\" holds no INDEX"},
      {std::string(kStart) + "INDEX 01 00:00:00\nTRACK 02 MODE1/2048\nINDEX 01 00:10:00\n",
       "disc.cue line 4: tracks 1 and 2 share a FILE but not a sector size"},
  };
  for (const auto& entry : cases) {
    EXPECT_EQ(ErrorOf(entry.text), entry.error) << entry.text;
  }
}

TEST(CueSheetTest, ReadsTheCatalogOfTheDiscAndTheIsrcOfATrack) {
  const CueSheet sheet = ParseCueSheet(
      "REM a pressed disc\n"
      "CATALOG 4999123456780\n"
      "TITLE \"Album\"\n"
      "FILE a.bin BINARY\n"
      "  TRACK 01 AUDIO\n"
      "    INDEX 01 00:00:00\n"
      "  TRACK 02 AUDIO\n"
      "    TITLE \"Two\"\n"
      "    PREGAP 00:02:00\n"
      "    isrc XX9X91500042\n"
      "    FLAGS DCP\n"
      "    INDEX 01 00:10:00\n",
      "disc.cue");
  EXPECT_EQ(sheet.catalog, "4999123456780");
  ASSERT_EQ(sheet.tracks.size(), 2u);
  EXPECT_EQ(sheet.tracks[0].isrc, "") << "a track without ISRC carries none";
  EXPECT_EQ(sheet.tracks[1].isrc, "XX9X91500042");
  EXPECT_EQ(
      ParseCueSheet("FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", "disc.cue").catalog,
      "");
}

TEST(CueSheetTest, RefusesACatalogOrIsrcThatIsMalformedTwiceOrOutOfPlace) {
  constexpr std::string_view kStart = "FILE a.bin BINARY\nTRACK 01 AUDIO\n";
  const std::string kEnd = "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  const std::string kNotCatalog = " is not a media catalog number (13 digits)";
  const std::string kNotIsrc =
      " is not an ISRC (12 characters CCOOOYYSSSSS: a country code of 2 and an owner code of 3 "
      "letters A to Z or digits, a year of 2 and a serial number of 5 digits)";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"CATALOG 123456789012\n" + kEnd, "disc.cue line 1: CATALOG \"123456789012\"" + kNotCatalog},
      {"CATALOG 12345678901234\n" + kEnd,
       "disc.cue line 1: CATALOG \"12345678901234\"" + kNotCatalog},
      {"CATALOG 123456789012X\n" + kEnd,
       "disc.cue line 1: CATALOG \"123456789012X\"" + kNotCatalog},
      {"CATALOG \"1234567 890123\"\n" + kEnd,
       "disc.cue line 1: CATALOG \"1234567 890123\"" + kNotCatalog},
      {"CATALOG\n" + kEnd, "disc.cue line 1: expected CATALOG and its 13 digits"},
      {"CATALOG 1234567890123 1\n" + kEnd, "disc.cue line 1: expected CATALOG and its 13 digits"},
      {"CATALOG 1234567890123\nTITLE x\nCATALOG 1234567890123\n" + kEnd,
       "disc.cue line 3: CATALOG given twice (first on line 1)"},
      {"FILE a.bin BINARY\nCATALOG 1234567890123\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "disc.cue line 2: CATALOG after a FILE; it belongs to the disc and comes before the "
       "first FILE"},
      {kEnd + "CATALOG 1234567890123\n",
       "disc.cue line 4: CATALOG after a FILE; it belongs to the disc and comes before the "
       "first FILE"},
      {"ISRC XX9X91500042\n" + kEnd, "disc.cue line 1: ISRC outside a TRACK"},
      {kEnd + "ISRC XX9X91500042\n",
       "disc.cue line 4: ISRC after an INDEX; it comes before the track's INDEX lines"},
      {std::string(kStart) + "ISRC XX9X91500042\nISRC XX9X91500043\nINDEX 01 00:00:00\n",
       "disc.cue line 4: ISRC given twice for track 1 (first on line 3)"},
      {std::string(kStart) + "ISRC\n", "disc.cue line 3: expected ISRC CCOOOYYSSSSS"},
      {std::string(kStart) + "ISRC XX9X9150004\n",
       "disc.cue line 3: ISRC \"XX9X9150004\"" + kNotIsrc},
      {std::string(kStart) + "ISRC XX9X915000421\n",
       "disc.cue line 3: ISRC \"XX9X915000421\"" + kNotIsrc},
      {std::string(kStart) + "ISRC xx9x91500042\n",
       "disc.cue line 3: ISRC \"xx9x91500042\"" + kNotIsrc},
      {std::string(kStart) + "ISRC XX-9X9-15-00042\n",
       "disc.cue line 3: ISRC \"XX-9X9-15-00042\"" + kNotIsrc},
      {std::string(kStart) + "ISRC XX9X9A500042\n",
       "disc.cue line 3: ISRC \"XX9X9A500042\"" + kNotIsrc},
      {std::string(kStart) + "ISRC XX9X9150004Q\n",
       "disc.cue line 3: ISRC \"XX9X9150004Q\"" + kNotIsrc},
      {std::string(kStart) + "ISRC ZZ9X*1500042\n",
       "disc.cue line 3: ISRC \"ZZ9X*1500042\"" + kNotIsrc},
  };
  for (const auto& entry : cases) {
    EXPECT_EQ(ErrorOf(entry.text), entry.error) << entry.text;
  }
}

TEST(CueSheetTest, RefusesASheetLargerThanAnyCueSheet) {
  const std::string text(kMaxCueSheetBytes + 1, '\n');
  EXPECT_EQ(ErrorOf(text), "disc.cue: larger than 256 KiB, which no CUE sheet needs");
}

TEST(CueSheetTest, TakesNinetyNineTracksAndNoMore) {
  std::string text = "FILE a.bin BINARY\n";
  char line[64];
  for (int track = 1; track <= 99; ++track) {
    std::snprintf(line, sizeof line, "TRACK %02d AUDIO\nINDEX 01 %02d:00:00\n", track, track - 1);
    text += line;
  }
  EXPECT_EQ(ParseCueSheet(text, "disc.cue").tracks.size(), 99u);
  text += "TRACK 100 AUDIO\nINDEX 01 99:00:00\n";
  EXPECT_EQ(ErrorOf(text), "disc.cue line 200: more than 99 tracks");
}

}  // namespace
}  // namespace korvel::emulator
