// Discs laid out from CUE sheets and ISO images: where each track, pre-gap and lead-out lands,
// and which bytes of which file each track reads.
#include "emulator/images/ImageDiscs.h"

#include <gtest/gtest.h>

#include <vector>

#include "emulator/ConfigError.h"
#include "emulator/disc/DiscBuilder.h"
#include "emulator/tests/ScratchDirectory.h"

namespace korvel::emulator {
namespace {

using testing::ScratchDirectory;

void WriteSectors(const ScratchDirectory& scratch, std::string_view name, std::size_t sectors,
                  std::size_t sectorSize) {
  scratch.Write(name, std::vector<std::uint8_t>(sectors * sectorSize, 0x5A));
}

struct Expected {
  std::int32_t pregapStart, start, end;
  std::string file;
  std::int32_t firstBlock, blockCount;
  std::uint64_t offset;
  std::uint32_t sectorSize;
};

void ExpectTracks(const Disc& disc, const std::vector<Expected>& expected) {
  ASSERT_EQ(disc.tracks.size(), expected.size());
  for (std::size_t t = 0; t < expected.size(); ++t) {
    const DiscTrack& track = disc.tracks[t];
    const Expected& want = expected[t];
    SCOPED_TRACE("track " + std::to_string(t + 1));
    EXPECT_EQ(track.number, t + 1);
    EXPECT_EQ(track.pregapStart, want.pregapStart);
    EXPECT_EQ(track.start, want.start);
    EXPECT_EQ(track.end, want.end);
    ASSERT_TRUE(track.data);
    EXPECT_EQ(track.data->file->path().filename(), want.file);
    EXPECT_EQ(track.data->firstBlock, want.firstBlock);
    EXPECT_EQ(track.data->blockCount, want.blockCount);
    EXPECT_EQ(track.data->offset, want.offset);
    EXPECT_EQ(track.data->sectorSize, want.sectorSize);
  }
}

std::string LoadError(const std::filesystem::path& cue) {
  try {
    LoadCueDisc(cue);
  } catch (const ConfigError& error) {
    return error.what();
  }
  return "(loaded)";
}

TEST(ImageDiscsTest, PlacesPreGapsFromIndexZeroAndFromPregap) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "one.bin", 1000, 2352);
  WriteSectors(scratch, "two.bin", 300, 2352);
  const auto cue = scratch.Write("audio.cue",
                                 "TITLE \"Sample\"\nPERFORMER Korvel\n"
                                 "FILE \"one.bin\" BINARY\n"
                                 "TRACK 01 AUDIO\nTITLE \"Track one\"\nINDEX 01 00:00:00\n"
                                 "TRACK 02 AUDIO\nINDEX 00 00:05:25\nINDEX 01 00:06:00\n"
                                 "FILE two.bin BINARY\n"
                                 "TRACK 03 AUDIO\nPERFORMER Guest\nPREGAP 00:02:00\n"
                                 "INDEX 01 00:00:00\n");
  const Disc disc = LoadCueDisc(cue);
  ExpectTracks(disc, {{0, 0, 400, "one.bin", 0, 400, 0, 2352},
                      {400, 450, 1000, "one.bin", 400, 600, 400 * 2352, 2352},
                      {1000, 1150, 1450, "two.bin", 1150, 300, 0, 2352}});
  ASSERT_EQ(disc.sessions.size(), 1u);
  EXPECT_EQ(disc.sessions[0].number, 1);
  EXPECT_EQ(disc.sessions[0].leadOut, 1450);
  EXPECT_EQ(disc.title, "Sample");
  EXPECT_EQ(disc.performer, "Korvel");
  EXPECT_EQ(disc.tracks[0].title, "Track one");
  EXPECT_EQ(disc.tracks[2].performer, "Guest");
  EXPECT_EQ(disc.tracks[0].mode, TrackMode::Audio);
  EXPECT_FALSE(disc.blank);
  EXPECT_FALSE(disc.atip);
}

// The second session begins after the first one's lead-out (6750 blocks) and the next lead-in
// (4500), with a pre-gap of 150 blocks before its first track.
TEST(ImageDiscsTest, PlacesALaterSessionAfterLeadOutAndLeadIn) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "audio.bin", 500, 2352);
  WriteSectors(scratch, "data.bin", 200, 2352);
  const auto cue = scratch.Write("extra.cue",
                                 "REM SESSION 01\nFILE audio.bin BINARY\n"
                                 "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                 "REM SESSION 02\nFILE data.bin BINARY\n"
                                 "TRACK 02 MODE2/2352\nINDEX 01 00:00:00\n");
  const Disc disc = LoadCueDisc(cue);
  ExpectTracks(disc, {{0, 0, 500, "audio.bin", 0, 500, 0, 2352},
                      {11750, 11900, 12100, "data.bin", 11900, 200, 0, 2352}});
  ASSERT_EQ(disc.sessions.size(), 2u);
  EXPECT_EQ(disc.sessions[0].leadOut, 500);
  EXPECT_EQ(disc.sessions[1].number, 2);
  EXPECT_EQ(disc.sessions[1].leadOut, 12100);
  EXPECT_EQ(disc.tracks[1].session, 2);
  EXPECT_EQ(disc.tracks[1].mode, TrackMode::Mode2Xa);
}

TEST(ImageDiscsTest, ALaterSessionKeepsThePreGapItsSheetGives) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "audio.bin", 500, 2352);
  WriteSectors(scratch, "data.bin", 200, 2352);
  const auto cue = scratch.Write("extra.cue",
                                 "FILE audio.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                 "POSTGAP 00:00:10\n"
                                 "REM SESSION 02\nFILE data.bin BINARY\n"
                                 "TRACK 02 MODE2/2352\nINDEX 00 00:00:00\nINDEX 01 00:01:00\n");
  const Disc disc = LoadCueDisc(cue);
  ExpectTracks(disc, {{0, 0, 510, "audio.bin", 0, 500, 0, 2352},
                      {11760, 11835, 11960, "data.bin", 11760, 200, 0, 2352}});
  EXPECT_EQ(disc.sessions[0].leadOut, 510);
}

TEST(ImageDiscsTest, DataTracksReadFromOffsetsOfTheirSectorSize) {
  const struct {
    const char* type;
    std::uint32_t sectorSize;
    TrackMode mode;
  } types[] = {{"MODE1/2048", 2048, TrackMode::Mode1},
               {"MODE1/2352", 2352, TrackMode::Mode1},
               {"MODE2/2352", 2352, TrackMode::Mode2Xa}};
  for (const auto& type : types) {
    SCOPED_TRACE(type.type);
    ScratchDirectory scratch;
    WriteSectors(scratch, "data.bin", 400, type.sectorSize);
    const auto cue = scratch.Write("data.cue", std::string("FILE data.bin BINARY\nTRACK 01 ") +
                                                   type.type + "\nINDEX 01 00:00:00\nTRACK 02 " +
                                                   type.type + "\nINDEX 01 00:01:00\n");
    const Disc disc = LoadCueDisc(cue);
    ExpectTracks(disc,
                 {{0, 0, 75, "data.bin", 0, 75, 0, type.sectorSize},
                  {75, 75, 400, "data.bin", 75, 325, 75u * type.sectorSize, type.sectorSize}});
    EXPECT_EQ(disc.tracks[1].mode, type.mode);
  }
}

// A sheet that ends a file inside the pre-gap of the next track: the pre-gap's blocks are in the
// previous file, so they are generated, and the track reads its own file from the start.
TEST(ImageDiscsTest, APreGapHeldInThePreviousFileIsGenerated) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "one.bin", 300, 2352);
  WriteSectors(scratch, "two.bin", 100, 2352);
  const auto cue = scratch.Write("gap.cue",
                                 "FILE one.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                 "TRACK 02 AUDIO\nINDEX 00 00:03:00\n"
                                 "FILE two.bin BINARY\nINDEX 01 00:00:00\n");
  ExpectTracks(LoadCueDisc(cue), {{0, 0, 225, "one.bin", 0, 225, 0, 2352},
                                  {225, 300, 400, "two.bin", 300, 100, 0, 2352}});
}

TEST(ImageDiscsTest, NamesRelativeToTheSheetsFolder) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "discs/images/track.bin", 10, 2352);
  const auto cue = scratch.Write("discs/disc.cue",
                                 "FILE \"images/track.bin\" BINARY\nTRACK 01 AUDIO\n"
                                 "INDEX 01 00:00:00\n");
  const Disc disc = LoadCueDisc(cue);
  EXPECT_EQ(disc.tracks[0].data->file->path(), scratch.path() / "discs/images/track.bin");
}

TEST(ImageDiscsTest, RefusesFilesThatDoNotFitTheSheet) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "short.bin", 100, 2352);
  scratch.Write("odd.bin", std::vector<std::uint8_t>(2352 * 3 + 1));
  std::filesystem::resize_file(scratch.Write("huge.bin", ""),
                               std::uint64_t{2048} * (kMaxLeadOut + 1));
  const auto missing = (scratch.path() / "missing.bin").string();
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"FILE odd.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "bad.cue line 1: \"odd.bin\" holds 7057 bytes, not a whole number of 2352-byte sectors"},
      {"FILE missing.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       "bad.cue line 1: cannot use image file \"" + missing + "\": No such file or directory"},
      {"FILE short.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
       "INDEX 01 00:02:00\n",
       "bad.cue line 5: INDEX at 00:02:00 lies beyond the end of \"short.bin\" (00:01:25)"},
      {"FILE huge.bin BINARY\nTRACK 01 MODE1/2048\nINDEX 01 00:00:00\n",
       "bad.cue line 1: \"huge.bin\" holds more than 100 minutes"},
      {"FILE short.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
       "FILE short.bin BINARY\nTRACK 02 AUDIO\nPREGAP 99:59:74\nINDEX 01 00:00:00\n",
       "bad.cue line 5: the disc would be longer than 100 minutes (450199 blocks)"},
      {"FILE short.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nPOSTGAP 99:59:00\n",
       "bad.cue line 2: the disc would be longer than 100 minutes (450025 blocks)"},
  };
  for (const auto& entry : cases) {
    EXPECT_EQ(LoadError(scratch.Write("bad.cue", entry.text)), entry.error) << entry.text;
  }
}

// Each text fits, but together they need more packs than the lead-in holds.
TEST(ImageDiscsTest, RefusesCdTextBeyondOneBlockOfPacks) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "many.bin", 99, 2352);
  std::string sheet = "FILE many.bin BINARY\n";
  for (int track = 1; track <= 99; ++track) {
    char line[64];
    std::snprintf(line, sizeof line, "TRACK %02d AUDIO\nINDEX 01 00:%02d:%02d\n", track,
                  (track - 1) / 75, (track - 1) % 75);
    sheet += line + std::string("TITLE \"") + std::string(100, 'T') + "\"\n";
  }
  const std::string error = LoadError(scratch.Write("many.cue", sheet));
  EXPECT_EQ(error.rfind("many.cue: the CD-TEXT needs ", 0), 0u) << error;
  EXPECT_NE(error.find(" packs; a disc holds at most 256"), std::string::npos) << error;
}

TEST(ImageDiscsTest, AnIsoImageIsOneModeOneTrack) {
  ScratchDirectory scratch;
  WriteSectors(scratch, "disc.iso", 37, 2048);
  const Disc disc = LoadIsoDisc(scratch.path() / "disc.iso");
  ExpectTracks(disc, {{0, 0, 37, "disc.iso", 0, 37, 0, 2048}});
  EXPECT_EQ(disc.tracks[0].mode, TrackMode::Mode1);
  ASSERT_EQ(disc.sessions.size(), 1u);
  EXPECT_EQ(disc.sessions[0].leadOut, 37);
}

TEST(ImageDiscsTest, RefusesIsoImagesOfNoWholeSectors) {
  ScratchDirectory scratch;
  const struct {
    std::size_t size;
    std::string error;
  } cases[] = {{0, "disc.iso: 0 bytes is not a whole number of 2048-byte sectors"},
               {2048 * 2 + 512, "disc.iso: 4608 bytes is not a whole number of 2048-byte sectors"}};
  for (const auto& entry : cases) {
    scratch.Write("disc.iso", std::vector<std::uint8_t>(entry.size));
    try {
      LoadIsoDisc(scratch.path() / "disc.iso");
      ADD_FAILURE() << entry.size << " bytes loaded";
    } catch (const ConfigError& error) {
      EXPECT_EQ(std::string(error.what()), entry.error);
    }
  }
}

}  // namespace
}  // namespace korvel::emulator
