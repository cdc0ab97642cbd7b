// The pre-gap of a later session's first track, laid out from file sizes alone: however the
// sheet says it has none, the track gets the 150 generated blocks after the lead-in, and a pre-gap
// the sheet does give is kept.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/images/CueSheet.h"
#include "emulator/images/ImageDiscs.h"
#include "platform/testing/CaseNames.h"

namespace korvel::emulator {
namespace {

struct SessionGapCase {
  std::string name;
  std::string secondSession;  // the lines of the sheet after REM SESSION 02
  std::int32_t start;         // of track 2; its pre-gap begins at 26250
  std::int32_t firstBlock;    // of its stored blocks: all 3000 of data.bin, to the lead-out
};

void PrintTo(const SessionGapCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class SessionGapTest : public ::testing::TestWithParam<SessionGapCase> {};

// Session 1 is 15000 blocks of audio.bin: its lead-out and the next lead-in take it to 26250.
TEST_P(SessionGapTest, PlacesTheFirstTrackOfSessionTwo) {
  const std::string text =
      "FILE audio.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nREM SESSION 02\n"
      "FILE data.bin BINARY\nTRACK 02 MODE2/2352\n" +
      GetParam().secondSession;
  const std::vector<std::uint64_t> sizes = {15000 * 2352, 3000 * 2352};
  const Disc disc = LayOutCueSizes(ParseCueSheet(text, "gap.cue"), "gap.cue", sizes);
  ASSERT_EQ(disc.sessions.size(), 2u);
  ASSERT_EQ(disc.tracks.size(), 2u);
  EXPECT_EQ(disc.sessions[0].leadOut, 15000);
  const DiscTrack& track = disc.tracks[1];
  EXPECT_EQ(track.session, 2);
  EXPECT_EQ(track.pregapStart, 26250);
  EXPECT_EQ(track.start, GetParam().start);
  EXPECT_EQ(track.end, GetParam().firstBlock + 3000);
  EXPECT_EQ(disc.sessions[1].leadOut, GetParam().firstBlock + 3000);
  ASSERT_TRUE(track.data.has_value());
  EXPECT_EQ(track.data->file, nullptr);
  EXPECT_EQ(track.data->firstBlock, GetParam().firstBlock);
  EXPECT_EQ(track.data->blockCount, 3000);
  EXPECT_EQ(track.data->offset, 0u);
  EXPECT_EQ(track.data->sectorSize, 2352u);
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, SessionGapTest,
    ::testing::Values(
        SessionGapCase{"NoPreGap", "INDEX 01 00:00:00\n", 26400, 26400},
        SessionGapCase{"PregapOfNoLength", "PREGAP 00:00:00\nINDEX 01 00:00:00\n", 26400, 26400},
        SessionGapCase{"IndexZeroWhereIndexOneIs", "INDEX 00 00:00:00\nINDEX 01 00:00:00\n", 26400,
                       26400},
        // One block of pre-gap held in the file is the sheet's own, and read from it.
        SessionGapCase{"IndexZeroOneBlockBefore", "INDEX 00 00:00:00\nINDEX 01 00:00:01\n", 26251,
                       26250},
        SessionGapCase{"PregapOfTwoSeconds", "PREGAP 00:02:00\nINDEX 01 00:00:00\n", 26400, 26400}),
    case_names::FromMember<&SessionGapCase::name>{});

}  // namespace
}  // namespace korvel::emulator
