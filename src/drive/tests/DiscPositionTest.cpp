// The disc position routines on a scripted drive: the commands they send (exact CDBs and
// transfer lengths), the boundary search, session ends from the full TOC, and track extents with
// and without a pre-gap before the next track, including drives whose answers would keep a
// search going.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "drive/DiscPosition.h"
#include "drive/TocLayout.h"
#include "drive/tests/ScriptedDisc.h"
#include "platform/testing/CaseNames.h"

namespace korvel::drive {
namespace {

using testing::ScriptedDiscTransport;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kA = 0;
constexpr std::uint8_t kT = 3;

Bytes Cdb(std::initializer_list<int> bytes) {
  Bytes cdb;
  for (int b : bytes) cdb.push_back(static_cast<std::uint8_t>(b));
  return cdb;
}

// Format 0: tracks (number, data?, start) and the lead-out.
struct TocTrack {
  int number;
  bool data;
  std::int32_t start;
};
Bytes Toc(const std::vector<TocTrack>& tracks, std::int32_t leadOut) {
  Bytes answer(4);
  answer[2] = static_cast<std::uint8_t>(tracks.front().number);
  answer[3] = static_cast<std::uint8_t>(tracks.back().number);
  auto add = [&](int number, bool data, std::int32_t start) {
    Bytes d(8);
    d[1] = data ? 0x14 : 0x10;
    d[2] = static_cast<std::uint8_t>(number);
    formats::PutBigEndian(&d[4], static_cast<std::uint32_t>(start), 4);
    answer.insert(answer.end(), d.begin(), d.end());
  };
  for (const TocTrack& t : tracks) add(t.number, t.data, t.start);
  add(0xAA, false, leadOut);
  formats::PutBigEndian(answer.data(), answer.size() - 2, 2);
  return answer;
}

// A full TOC descriptor: session, POINT, Min/Sec/Frame, PMIN/PSEC/PFRAME (already in BCD).
Bytes Descriptor(int session, int point, std::array<int, 3> msf, std::array<int, 3> pmsf) {
  return Bytes{static_cast<std::uint8_t>(session),
               0x14,
               0,
               static_cast<std::uint8_t>(point),
               static_cast<std::uint8_t>(msf[0]),
               static_cast<std::uint8_t>(msf[1]),
               static_cast<std::uint8_t>(msf[2]),
               0,
               static_cast<std::uint8_t>(pmsf[0]),
               static_cast<std::uint8_t>(pmsf[1]),
               static_cast<std::uint8_t>(pmsf[2])};
}
Bytes FullToc(const std::vector<Bytes>& descriptors, int lastSession = 1) {
  Bytes answer{0, 0, 1, static_cast<std::uint8_t>(lastSession)};
  for (const Bytes& d : descriptors) answer.insert(answer.end(), d.begin(), d.end());
  formats::PutBigEndian(answer.data(), answer.size() - 2, 2);
  return answer;
}

// One session, tracks 1..2 (A1 = last track 2), lead-out at 10:00:00 (block 44850); B0 as given.
Bytes OneSessionFullToc(int b0Min) {
  return FullToc({Descriptor(1, 0xA0, {0, 0, 0}, {0x01, 0x20, 0}),
                  Descriptor(1, 0xA1, {0, 0, 0}, {0x02, 0, 0}),
                  Descriptor(1, 0xA2, {0, 0, 0}, {0x10, 0x00, 0x00}),
                  Descriptor(1, 0x01, {0, 0, 0}, {0x00, 0x02, 0x00}),
                  Descriptor(1, 0x02, {0, 0, 0}, {0x05, 0x00, 0x00}),
                  Descriptor(1, 0xB0, {b0Min, 0x30, 0x00}, {0x79, 0x59, 0x74})});
}

// --- ReadQPosition -------------------------------------------------------------------------------

TEST(ReadQPositionTest, SeeksThenReadsTheCurrentPositionAsBlockAddresses) {
  ScriptedDiscTransport rig;
  rig.state.qAt = [](std::int32_t lba) { return QPosition{2, 0, lba, lba - 1000, 0x10}; };
  QPosition q;
  ReadQPosition(rig.transport, kA, kT, 990, q);
  ASSERT_EQ(rig.state.cdbs.size(), 2u);
  EXPECT_EQ(rig.state.cdbs[0], Cdb({0x2B, 0, 0, 0x00, 0x03, 0xDE, 0, 0, 0, 0}));
  EXPECT_EQ(rig.state.cdbs[1], Cdb({0x42, 0, 0x40, 0x01, 0, 0, 0, 0, 16, 0}));
  EXPECT_EQ(rig.state.lengths[1], 16u);
  EXPECT_EQ(q.track, 2);
  EXPECT_EQ(q.index, 0);
  EXPECT_EQ(q.absoluteAddress, 990);
  EXPECT_EQ(q.relativeAddress, -10);
  EXPECT_EQ(q.adrControl, 0x10);
}

TEST(ReadQPositionTest, AFailedReadLeavesZeroesNotStaleValues) {
  ScriptedDiscTransport rig;
  QPosition q{9, 9, 9, 9, 9};
  ReadQPosition(rig.transport, kA, kT, 100, q);
  EXPECT_EQ(q.track, 0);
  EXPECT_EQ(q.index, 0);
  EXPECT_EQ(q.absoluteAddress, 0);
  EXPECT_EQ(q.relativeAddress, 0);
}

// --- LocateTrackBoundary
// ---------------------------------------------------------------------------

TEST(LocateTrackBoundaryTest, ReturnsTheBlockAfterTheDropOfTheRelativeAddress) {
  ScriptedDiscTransport rig;
  constexpr std::int32_t kL = 30000;
  // 4000, 4001, -150 at L - 1, L, L + 1.
  rig.state.qAt = [](std::int32_t lba) {
    if (lba <= kL) return QPosition{1, 1, lba, 4001 - (kL - lba), 0x10};
    return QPosition{2, 0, lba, -150 + (lba - kL - 1), 0x10};
  };
  EXPECT_EQ(LocateTrackBoundary(rig.transport, kA, kT, kL), kL + 1);
  // The window of every pass goes to the debugger output, 39 slots of "%8ld".
  ASSERT_FALSE(rig.kernel.debugOutput.empty());
  const std::string& first = rig.kernel.debugOutput.front();
  EXPECT_EQ(first.size(), 39u * 8);
  EXPECT_EQ(first.substr(0, 8), " 9999999");
  EXPECT_NE(first.find("    3991"), std::string::npos);  // the first probe, at L - 10
}

TEST(LocateTrackBoundaryTest, GivesUpAfterAThousandPassesOnADriveThatNeverAnswers) {
  ScriptedDiscTransport rig;
  EXPECT_EQ(LocateTrackBoundary(rig.transport, kA, kT, 5000), 5000);
  EXPECT_EQ(rig.state.cdbs.size(), 2u * kBoundaryPasses);
  EXPECT_EQ(rig.kernel.debugOutput.size(), static_cast<std::size_t>(kBoundaryPasses));
}

// --- SessionEndOfTrack
// -----------------------------------------------------------------------------

struct SessionEndCase {
  std::string name;
  std::optional<Bytes> fullToc;  // nothing: the drive refuses format 2
  std::uint8_t track;
  std::int32_t expected;
};

void PrintTo(const SessionEndCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class SessionEndOfTrackTest : public ::testing::TestWithParam<SessionEndCase> {};

TEST_P(SessionEndOfTrackTest, ReadsTheFullTocOnce) {
  ScriptedDiscTransport rig;
  if (GetParam().fullToc) rig.state.toc[kTocFormatFullToc] = *GetParam().fullToc;
  EXPECT_EQ(SessionEndOfTrack(rig.transport, kA, kT, GetParam().track), GetParam().expected);
  ASSERT_EQ(rig.state.cdbs.size(), 1u);
  EXPECT_EQ(rig.state.cdbs[0], Cdb({0x43, 0, 0, 0, 0, 0, 0, 0x07, 0xD0, 0x80}));
  EXPECT_EQ(rig.state.lengths[0], 2000u);
}

Bytes LongDataLength() {
  Bytes toc = OneSessionFullToc(0x12);
  formats::PutBigEndian(toc.data(), 0xFFFF, 2);  // claims far more descriptors than sent
  return toc;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SessionEndOfTrackTest,
    ::testing::Values(
        // Lead-out 10:00:00 is frame 45000: the track ends at 45000 - 152.
        SessionEndCase{"OpenSessionLastTrack", OneSessionFullToc(0x12), 2, 45000 - 152},
        SessionEndCase{"OpenSessionNotTheLastTrack", OneSessionFullToc(0x12), 1, -1},
        SessionEndCase{"ClosedDisc", OneSessionFullToc(0xFF), 2, -1},
        SessionEndCase{"PressedDiscWithoutB0",
                       FullToc({Descriptor(1, 0xA1, {0, 0, 0}, {0x02, 0, 0}),
                                Descriptor(1, 0xA2, {0, 0, 0}, {0x10, 0, 0})}),
                       2, -1},
        SessionEndCase{"DriveRefusesFormat2", std::nullopt, 2, -1},
        SessionEndCase{"DataLengthBeyondTheBytesRead", LongDataLength(), 2, 45000 - 152}),
    [](const auto& info) { return info.param.name; });

// --- TrackExtent
// -----------------------------------------------------------------------------------

std::int32_t RecordField(const TrackExtentRecord& record, std::size_t offset) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(formats::GetBigEndian(record.data() + offset, 4)));
}

// Track 1 from block 0 to 15000, a pre-gap of `pregap` blocks before track 2 at 15000 + pregap,
// lead-out at 30000.
void TwoAudioTracks(ScriptedDiscTransport& rig, std::int32_t pregap) {
  const std::int32_t second = 15000 + pregap;
  rig.state.toc[kTocFormatToc] = Toc({{1, false, 0}, {2, false, second}}, 30000);
  rig.state.toc[kTocFormatFullToc] = OneSessionFullToc(0xFF);
  rig.state.qAt = [second, pregap](std::int32_t lba) {
    if (lba < second - pregap) return QPosition{1, 1, lba, lba, 0x10};
    if (lba < second) return QPosition{2, 0, lba, lba - second, 0x10};
    return QPosition{2, 1, lba, lba - second, 0x10};
  };
}

TEST(TrackExtentTest, TheLastTrackEndsAtTheLeadOutWithoutProbing) {
  ScriptedDiscTransport rig;
  TwoAudioTracks(rig, 150);
  TrackExtentRecord record{};
  record[0] = 0xEE;
  record[1] = 0xEE;
  EXPECT_EQ(TrackExtent(rig.transport, kA, kT, 2, record), 1);
  EXPECT_EQ(record[0], 0xEE);  // bytes 0..1 are not written
  EXPECT_EQ(record[1], 0xEE);
  EXPECT_EQ(RecordField(record, track_extent_layout::kStartFrame), 15150 + 150);
  EXPECT_EQ(RecordField(record, track_extent_layout::kLength), 30000 - 15150);
  ASSERT_EQ(rig.state.cdbs.size(), 2u);
  EXPECT_EQ(rig.state.cdbs[1], Cdb({0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0x00}));
  EXPECT_EQ(rig.state.lengths[1], 804u);
}

TEST(TrackExtentTest, ATrackEndsWhereTheNextTracksPregapBegins) {
  for (std::int32_t pregap : {150, 2, 1, 300}) {
    ScriptedDiscTransport rig;
    TwoAudioTracks(rig, pregap);
    TrackExtentRecord record{};
    TrackExtent(rig.transport, kA, kT, 1, record);
    EXPECT_EQ(RecordField(record, track_extent_layout::kStartFrame), 150) << pregap;
    EXPECT_EQ(RecordField(record, track_extent_layout::kLength), 15000) << pregap;
  }
}

TEST(TrackExtentTest, WithoutAPregapTheNextTrackStartEndsTheTrack) {
  ScriptedDiscTransport rig;
  TwoAudioTracks(rig, 0);
  TrackExtentRecord record{};
  TrackExtent(rig.transport, kA, kT, 1, record);
  EXPECT_EQ(RecordField(record, track_extent_layout::kLength), 15000);
  // Only the probes before the next track: no search of a pre-gap.
  EXPECT_LT(rig.state.cdbs.size(), 20u);
}

TEST(TrackExtentTest, ADriveThatAlwaysShowsIndexZeroCannotKeepTheSearchGoing) {
  ScriptedDiscTransport rig;
  rig.state.toc[kTocFormatToc] = Toc({{1, false, 0}, {2, false, 15150}}, 30000);
  rig.state.toc[kTocFormatFullToc] = OneSessionFullToc(0xFF);
  rig.state.qAt = [](std::int32_t lba) { return QPosition{2, 0, lba, -1, 0x10}; };
  TrackExtentRecord record{};
  const TrackExtentOutcome outcome = FindTrackExtent(rig.transport, kA, kT, 1, record);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_FALSE(outcome.lengthVerified);
  EXPECT_EQ(RecordField(record, track_extent_layout::kLength), 15150);
}

TEST(TrackExtentTest, TheLastTrackOfAnOpenSessionEndsBeforeTheSessionsLeadOut) {
  ScriptedDiscTransport rig;
  TwoAudioTracks(rig, 150);
  rig.state.toc[kTocFormatFullToc] = OneSessionFullToc(0x12);
  TrackExtentRecord record{};
  TrackExtent(rig.transport, kA, kT, 2, record);
  EXPECT_EQ(RecordField(record, track_extent_layout::kLength), 45000 - 152 - 15150);
}

TEST(TrackExtentTest, ATrackOutsideTheTableReadsAsAZeroEntry) {
  ScriptedDiscTransport rig;
  TwoAudioTracks(rig, 150);
  TrackExtentRecord record{};
  EXPECT_EQ(TrackExtent(rig.transport, kA, kT, 0, record), 1);
  EXPECT_EQ(TrackExtent(rig.transport, kA, kT, 200, record), 1);
  EXPECT_EQ(RecordField(record, track_extent_layout::kStartFrame), 150);
}

// --- FindTrackExtent: failures and short tracks
// ---------------------------------------------------

// Where a track lies on a scripted disc: its pre-gap from `pregapStart`, index 1 from `start`, up
// to `end` (exclusive). Blocks outside every track read as the lead-out.
struct TrackSpan {
  std::uint8_t number;
  std::int32_t pregapStart;
  std::int32_t start;
  std::int32_t end;
};

std::function<std::optional<QPosition>(std::int32_t)> QChannelOf(std::vector<TrackSpan> spans) {
  return [spans](std::int32_t lba) -> std::optional<QPosition> {
    for (const TrackSpan& s : spans) {
      if (lba >= s.pregapStart && lba < s.end) {
        return QPosition{s.number, static_cast<std::uint8_t>(lba < s.start ? 0 : 1), lba,
                         lba - s.start, 0x14};
      }
    }
    return QPosition{0xAA, 1, lba, 0, 0x14};
  };
}

// An open session 1 whose last track is `lastTrack` (BCD) and whose lead-out starts at the BCD
// time `leadOut`, followed by a closed session 2 holding track `lastTrack` + 1.
Bytes OpenFirstSessionFullToc(int lastTrack, std::array<int, 3> leadOut) {
  return FullToc(
      {Descriptor(1, 0xA0, {0, 0, 0}, {0x01, 0, 0}),
       Descriptor(1, 0xA1, {0, 0, 0}, {lastTrack, 0, 0}), Descriptor(1, 0xA2, {0, 0, 0}, leadOut),
       Descriptor(1, 0x01, {0, 0, 0}, {0x00, 0x02, 0x00}),
       Descriptor(1, 0xB0, {0x05, 0x30, 0x00}, {0x79, 0x59, 0x74}),
       Descriptor(2, 0xA0, {0, 0, 0}, {lastTrack + 1, 0, 0}),
       Descriptor(2, 0xA1, {0, 0, 0}, {lastTrack + 1, 0, 0}),
       Descriptor(2, 0xA2, {0, 0, 0}, {0x10, 0, 0}),
       Descriptor(2, 0xB0, {0xFF, 0xFF, 0xFF}, {0x79, 0x59, 0x74})},
      2);
}

struct ExtentCase {
  std::string name;
  std::function<void(ScriptedDiscTransport&)> disc;
  std::uint8_t track;
  std::int32_t status;
  std::optional<std::int32_t> startFrame;  // nothing: the record is left as it was
  std::optional<std::int32_t> length;
  bool verified;
  std::size_t commandsAtMost;
};

void PrintTo(const ExtentCase& c, std::ostream* os) {
  *os << c.name;
}

class FindTrackExtentTest : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(FindTrackExtentTest, ReportsTheLengthFoundOrWhyNot) {
  const ExtentCase& c = GetParam();
  ScriptedDiscTransport rig;
  c.disc(rig);
  TrackExtentRecord record;
  record.fill(0xEE);
  const TrackExtentOutcome outcome = FindTrackExtent(rig.transport, kA, kT, c.track, record);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.lengthVerified, c.verified);
  EXPECT_EQ(TrackExtent(rig.transport, kA, kT, c.track, record), c.status);
  EXPECT_EQ(record[0], 0xEE);
  EXPECT_EQ(record[1], 0xEE);
  if (c.startFrame) {
    EXPECT_EQ(RecordField(record, track_extent_layout::kStartFrame), *c.startFrame);
    EXPECT_EQ(RecordField(record, track_extent_layout::kLength), *c.length);
  } else {
    EXPECT_EQ(record,
              (TrackExtentRecord{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
  }
  // Both calls together; a refused command ends the search at once.
  EXPECT_LE(rig.state.cdbs.size(), 2 * c.commandsAtMost);
  // The session end is asked first, with the full TOC; then the table of contents.
  ASSERT_GE(rig.state.cdbs.size(), 1u);
  EXPECT_EQ(rig.state.cdbs[0], Cdb({0x43, 0, 0, 0, 0, 0, 0, 0x07, 0xD0, 0x80}));
  if (c.status == 1 || rig.state.toc.count(kTocFormatFullToc)) {
    ASSERT_GE(rig.state.cdbs.size(), 2u);
    EXPECT_EQ(rig.state.cdbs[1], Cdb({0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0x00}));
  }
}

// Track 1 at 0..14999, track 2's pre-gap 15000..15149, track 2 at 15150..29999, lead-out 30000.
void NormalDisc(ScriptedDiscTransport& rig) {
  TwoAudioTracks(rig, 150);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTrackExtentTest,
    ::testing::Values(
        ExtentCase{"NormalTrackBeforeAPregap", NormalDisc, 1, 1, 150, 15000, true, 4000},
        ExtentCase{"NormalLastTrack", NormalDisc, 2, 1, 15300, 14850, true, 2},
        ExtentCase{"TocFormat0Refused",
                   [](ScriptedDiscTransport& rig) {
                     NormalDisc(rig);
                     rig.state.toc.erase(kTocFormatToc);
                   },
                   1, 4, std::nullopt, std::nullopt, false, 2},
        ExtentCase{"TocFormat2Refused",
                   [](ScriptedDiscTransport& rig) {
                     NormalDisc(rig);
                     rig.state.toc.erase(kTocFormatFullToc);
                   },
                   1, 1, 150, 15000, false, 4000},
        // The disc's last track ends at the lead-out whether or not the sessions are known.
        ExtentCase{"TocFormat2RefusedLastTrack",
                   [](ScriptedDiscTransport& rig) {
                     NormalDisc(rig);
                     rig.state.toc.erase(kTocFormatFullToc);
                   },
                   2, 1, 15300, 14850, true, 2},
        ExtentCase{"SubChannelRefused",
                   [](ScriptedDiscTransport& rig) {
                     NormalDisc(rig);
                     rig.state.qAt = nullptr;
                   },
                   1, 1, 150, 15150, false, 4},
        ExtentCase{"SeekRefused",
                   [](ScriptedDiscTransport& rig) {
                     NormalDisc(rig);
                     rig.state.refuseSeek = true;
                   },
                   1, 1, 150, 15150, false, 4},
        // Track 2 is one block (600) and ends session 1, whose lead-out is at 601 (00:10:01 as a
        // frame); track 3 opens session 2 at 601 + 6750 + 4500 + 150.
        ExtentCase{"OneBlockTrackEndsASession",
                   [](ScriptedDiscTransport& rig) {
                     rig.state.toc[kTocFormatToc] =
                         Toc({{1, true, 0}, {2, true, 600}, {3, true, 12001}}, 12301);
                     rig.state.toc[kTocFormatFullToc] = OpenFirstSessionFullToc(0x02, {0, 0x10, 1});
                     rig.state.qAt =
                         QChannelOf({{1, 0, 0, 600}, {2, 600, 600, 601}, {3, 11851, 12001, 12301}});
                   },
                   2, 1, 750, 1, true, 2},
        // Session 1 is one block: lead-out at block 1 (00:02:01).
        ExtentCase{"OneBlockFirstSession",
                   [](ScriptedDiscTransport& rig) {
                     rig.state.toc[kTocFormatToc] = Toc({{1, true, 0}, {2, true, 11401}}, 11701);
                     rig.state.toc[kTocFormatFullToc] = OpenFirstSessionFullToc(0x01, {0, 0x02, 1});
                     rig.state.qAt = QChannelOf({{1, 0, 0, 1}, {2, 11251, 11401, 11701}});
                   },
                   1, 1, 150, 1, true, 2},
        // A 600-block track ending an open session: its last two blocks are the run-out.
        ExtentCase{"NormalTrackEndsASession",
                   [](ScriptedDiscTransport& rig) {
                     rig.state.toc[kTocFormatToc] = Toc({{1, true, 0}, {2, true, 12000}}, 12300);
                     rig.state.toc[kTocFormatFullToc] = OpenFirstSessionFullToc(0x01, {0, 0x10, 0});
                   },
                   1, 1, 150, 598, true, 2},
        // Too short for the two run-out blocks: the lead-out ends it.
        ExtentCase{"TwoBlockTrackEndsASession",
                   [](ScriptedDiscTransport& rig) {
                     rig.state.toc[kTocFormatToc] = Toc({{1, true, 0}, {2, true, 11402}}, 11702);
                     rig.state.toc[kTocFormatFullToc] = OpenFirstSessionFullToc(0x01, {0, 0x02, 2});
                   },
                   1, 1, 150, 1, true, 2},
        // Track 2 is block 1000 alone, straight after track 1; track 3's pre-gap 1001..1150.
        ExtentCase{"OneBlockTrackBeforeAPregap",
                   [](ScriptedDiscTransport& rig) {
                     rig.state.toc[kTocFormatToc] =
                         Toc({{1, false, 0}, {2, false, 1000}, {3, false, 1151}}, 1651);
                     rig.state.toc[kTocFormatFullToc] = OneSessionFullToc(0xFF);
                     rig.state.qAt = QChannelOf(
                         {{1, 0, 0, 1000}, {2, 1000, 1000, 1001}, {3, 1001, 1151, 1651}});
                   },
                   2, 1, 1150, 1, true, 4000},
        // The same with a pre-gap of its own, 1000..1149, before block 1150.
        ExtentCase{"OneBlockTrackBetweenPregaps",
                   [](ScriptedDiscTransport& rig) {
                     rig.state.toc[kTocFormatToc] =
                         Toc({{1, false, 0}, {2, false, 1150}, {3, false, 1301}}, 1801);
                     rig.state.toc[kTocFormatFullToc] = OneSessionFullToc(0xFF);
                     rig.state.qAt = QChannelOf(
                         {{1, 0, 0, 1000}, {2, 1000, 1150, 1151}, {3, 1151, 1301, 1801}});
                   },
                   2, 1, 1300, 1, true, 4000},
        // A one-block track and no pre-gap after it.
        ExtentCase{"OneBlockTrackBeforeATrack",
                   [](ScriptedDiscTransport& rig) {
                     rig.state.toc[kTocFormatToc] =
                         Toc({{1, false, 0}, {2, false, 1000}, {3, false, 1001}}, 1501);
                     rig.state.toc[kTocFormatFullToc] = OneSessionFullToc(0xFF);
                     rig.state.qAt = QChannelOf(
                         {{1, 0, 0, 1000}, {2, 1000, 1000, 1001}, {3, 1001, 1001, 1501}});
                   },
                   2, 1, 1150, 1, true, 20}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvel::drive
