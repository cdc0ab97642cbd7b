// korvelfw tracks and disc-info end to end on emulated discs: the tables and JSON they print,
// the true extents of tracks before a pre-gap, and what an empty drive, a blank disc and a drive
// that refuses the maker's commands give.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/DiscInfoCommand.h"
#include "cli/TracksCommand.h"
#include "cli/tests/KorvelfwRun.h"
#include "platform/testing/CaseNames.h"

namespace korvel::cli {
namespace {

using nlohmann::json;

ProgramRun Korvelfw(std::vector<std::string> args) {
  return RunKorvelfwWith<TracksCommand, DiscInfoCommand>(std::move(args));
}

// A PC with one Korvel drive at 0:2 holding `disc`; `extra` keys go to the drive.
std::string DiscScenario(const TempFolder& folder, const json& disc, json extra = json::object()) {
  json drive = {{"id", 2u}, {"vendor", "KORVEL"}, {"product", "CD-R   RZ5140   "}, {"disc", disc}};
  drive.update(extra);
  json scenario = {{"os", "win98"},
                   {"aspi", {{"installed", true}}},
                   {"adapters", json::array({{{"id", 0u}, {"targets", json::array({drive})}}})}};
  return folder.Write("pc.json", scenario.dump());
}

json AudioDiscWithText() {
  return {{"title", "Songs & Tunes"},
          {"performer", "The Band"},
          {"sessions",
           json::array(
               {{{"tracks", json::array({{{"mode", "audio"}, {"blocks", 1000}, {"title", "First"}},
                                         {{"mode", "audio"},
                                          {"blocks", 500},
                                          {"pregap", 150},
                                          {"title", "Second"},
                                          {"performer", "Guest"}}})}}})}};
}

TEST(TracksCommandTest, ListsTracksWithTheirTrueExtentsAndCdText) {
  TempFolder folder;
  const ProgramRun run = Korvelfw(
      {"--simulate=" + DiscScenario(folder, AudioDiscWithText()), "tracks", "--drive", "0:2"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out,
            "Drive 0:2: KORVEL   CD-R   RZ5140    1.00\n"
            "Disc: \"Songs & Tunes\" by \"The Band\"\n"
            "Track Session Kind   Start     Start MSF  Length    CD-TEXT\n"
            "    1       1 audio  0         00:00:00   1000      \"First\"\n"
            "    2       1 audio  1150      00:15:25   500       \"Second\" by \"Guest\"\n"
            "Appendable: no\n");
}

TEST(TracksCommandTest, JsonOfAnOpenTwoSessionDisc) {
  TempFolder folder;
  const json disc = {
      {"appendable", true},
      {"sessions",
       json::array({{{"tracks", json::array({{{"mode", "mode1"}, {"blocks", 600}}})}},
                    {{"tracks", json::array({{{"mode", "mode2"}, {"blocks", 300}}})}}})}};
  const ProgramRun run = Korvelfw({"--simulate=" + DiscScenario(folder, disc), "--json", "tracks"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const json out = json::parse(run.out);
  EXPECT_EQ(out["appendable"], true);
  ASSERT_EQ(out["tracks"].size(), 2u);
  const json& first = out["tracks"][0];
  EXPECT_EQ(first["number"], 1);
  EXPECT_EQ(first["session"], 1);
  EXPECT_EQ(first["kind"], "mode1");
  EXPECT_EQ(first["start"], 0);
  EXPECT_EQ(first["start_msf"], "00:00:00");
  // The last track of a session that another can follow ends two blocks before its lead-out.
  EXPECT_EQ(first["length"], 598);
  EXPECT_EQ(first["title"], nullptr);
  const json& second = out["tracks"][1];
  EXPECT_EQ(second["session"], 2);
  EXPECT_EQ(second["kind"], "mode2");
  EXPECT_EQ(second["start"], 600 + 6750 + 4500 + 150);
  EXPECT_EQ(second["length"], 298);
}

struct NoTracksCase {
  std::string name;
  json disc;
  std::string message;
};

void PrintTo(const NoTracksCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class TracksWithoutTracksTest : public ::testing::TestWithParam<NoTracksCase> {};

TEST_P(TracksWithoutTracksTest, SaysWhyAndFails) {
  TempFolder folder;
  const std::string scenario = "--simulate=" + DiscScenario(folder, GetParam().disc);
  const ProgramRun run = Korvelfw({scenario, "tracks"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "korvelfw: " + GetParam().message + "\n");
  const ProgramRun json = Korvelfw({scenario, "tracks", "--json"});
  EXPECT_EQ(json.exitCode, 1);
  EXPECT_EQ(nlohmann::json::parse(json.out)["error"], GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, TracksWithoutTracksTest,
    ::testing::Values(NoTracksCase{"NoDisc", nullptr, "there is no disc in drive 0:2"},
                      NoTracksCase{"BlankDisc",
                                   {{"blank", true}},
                                   "the disc in drive 0:2 is blank: it holds no tracks yet"}),
    [](const auto& info) { return info.param.name; });

// What `tracks` prints when a command of the extent search fails, when the drive refuses the
// Q sub-channel probes, and for one-block tracks; discs without CD-TEXT, so READ TOC number 4 is
// the full TOC and number 5 the table of contents that track 1's extent reads.
struct TrackFailureCase {
  std::string name;
  json disc;
  json faults;
  int exitCode;
  std::vector<std::string> rows;  // the track lines of the table
  std::string appendable;
  std::string error;                              // stderr without "korvelfw: " and the newline
  std::vector<std::pair<int, bool>> jsonLengths;  // length and length_verified of each track
};

void PrintTo(const TrackFailureCase& c, std::ostream* os) {
  *os << c.name;
}

class TracksFailureTest : public ::testing::TestWithParam<TrackFailureCase> {};

TEST_P(TracksFailureTest, PrintsOnlyLengthsFoundAndNamesWhatFailed) {
  const TrackFailureCase& c = GetParam();
  TempFolder folder;
  const std::string scenario = "--simulate=" + DiscScenario(folder, c.disc, {{"faults", c.faults}});
  const ProgramRun text = Korvelfw({scenario, "tracks"});
  EXPECT_EQ(text.exitCode, c.exitCode);
  if (c.error.empty()) {
    std::string expected =
        "Drive 0:2: KORVEL   CD-R   RZ5140    1.00\n"
        "Track Session Kind   Start     Start MSF  Length    CD-TEXT\n";
    for (const std::string& row : c.rows) expected += row + "\n";
    expected += "Appendable: " + c.appendable + "\n";
    EXPECT_EQ(text.out, expected);
    EXPECT_EQ(text.err, "");
  } else {
    EXPECT_EQ(text.out, "");
    EXPECT_EQ(text.err, "korvelfw: " + c.error + "\n");
  }
  const ProgramRun document = Korvelfw({scenario, "tracks", "--json"});
  EXPECT_EQ(document.exitCode, c.exitCode);
  const json out = json::parse(document.out);
  if (!c.error.empty()) {
    EXPECT_EQ(out["error"], c.error);
  }
  ASSERT_EQ(out["tracks"].size(), c.jsonLengths.size());
  for (std::size_t i = 0; i < c.jsonLengths.size(); ++i) {
    EXPECT_EQ(out["tracks"][i]["length"], c.jsonLengths[i].first) << i;
    EXPECT_EQ(out["tracks"][i]["length_verified"], c.jsonLengths[i].second) << i;
  }
}

json TwoAudioTracks() {
  return {
      {"sessions",
       json::array(
           {{{"tracks", json::array({{{"mode", "audio"}, {"blocks", 1000}},
                                     {{"mode", "audio"}, {"blocks", 500}, {"pregap", 150}}})}}})}};
}

json Fault(const std::string& opcode, int occurrence) {
  return json::array({{{"opcode", opcode}, {"occurrence", occurrence}, {"sense", "05/24/00"}}});
}

// Two open sessions of mode 1 tracks with these blocks.
json OpenSessions(std::vector<std::vector<int>> sessions) {
  json list = json::array();
  for (const auto& blocks : sessions) {
    json tracks = json::array();
    for (int b : blocks) tracks.push_back({{"mode", "mode1"}, {"blocks", b}});
    list.push_back({{"tracks", tracks}});
  }
  return {{"appendable", true}, {"sessions", list}};
}

const char* const kAudioTrack2 = "    2       1 audio  1150      00:15:25   500";
const char* const kOpen = "yes, a further session can be written";
const char* const kReadTocFailed = "READ TOC to drive 0:2 failed (status 4, sense 05/24/00)";

INSTANTIATE_TEST_SUITE_P(
    Cases, TracksFailureTest,
    ::testing::Values(
        TrackFailureCase{"NormalTracks",
                         TwoAudioTracks(),
                         json::array(),
                         0,
                         {"    1       1 audio  0         00:00:00   1000", kAudioTrack2},
                         "no",
                         "",
                         {{1000, true}, {500, true}}},
        // Without the full TOC no session end is known: the search still finds track 1's end,
        // but cannot tell it from the end of a session.
        TrackFailureCase{
            "TocFormat2Refused",
            TwoAudioTracks(),
            Fault("0x43", 4),
            0,
            {"    1       1 audio  0         00:00:00   1000 (not verified)", kAudioTrack2},
            "no",
            "",
            {{1000, false}, {500, true}}},
        TrackFailureCase{
            "TocFormat0Refused", TwoAudioTracks(), Fault("0x43", 5), 1, {}, "", kReadTocFailed, {}},
        TrackFailureCase{
            "SubChannelRefused",
            TwoAudioTracks(),
            Fault("0x42", 1),
            0,
            {"    1       1 audio  0         00:00:00   1150 (not verified)", kAudioTrack2},
            "no",
            "",
            {{1150, false}, {500, true}}},
        TrackFailureCase{
            "SeekRefused",
            TwoAudioTracks(),
            Fault("0x2B", 1),
            0,
            {"    1       1 audio  0         00:00:00   1150 (not verified)", kAudioTrack2},
            "no",
            "",
            {{1150, false}, {500, true}}},
        // Session 1 ends with the one block 600; session 2 starts 601 + 6750 + 4500 + 150.
        TrackFailureCase{"OneBlockTrackEndsASession",
                         OpenSessions({{600, 1}, {300}}),
                         json::array(),
                         0,
                         {"    1       1 mode1  0         00:00:00   600",
                          "    2       1 mode1  600       00:08:00   1",
                          "    3       2 mode1  12001     02:40:01   298"},
                         kOpen,
                         "",
                         {{600, true}, {1, true}, {298, true}}},
        TrackFailureCase{"OneBlockFirstSession",
                         OpenSessions({{1}, {300}}),
                         json::array(),
                         0,
                         {"    1       1 mode1  0         00:00:00   1",
                          "    2       2 mode1  11401     02:32:01   298"},
                         kOpen,
                         "",
                         {{1, true}, {298, true}}},
        TrackFailureCase{
            "OneBlockTrackBeforeAPregap",
            {{"sessions",
              json::array(
                  {{{"tracks",
                     json::array({{{"mode", "audio"}, {"blocks", 1000}},
                                  {{"mode", "audio"}, {"blocks", 1}},
                                  {{"mode", "audio"}, {"blocks", 500}, {"pregap", 150}}})}}})}},
            json::array(),
            0,
            {"    1       1 audio  0         00:00:00   1000",
             "    2       1 audio  1000      00:13:25   1",
             "    3       1 audio  1151      00:15:26   500"},
            "no",
            "",
            {{1000, true}, {1, true}, {500, true}}}),
    [](const auto& info) { return info.param.name; });

TEST(DiscInfoCommandTest, JsonOfARecordableDiscWithTheMakersFacts) {
  TempFolder folder;
  std::string memory(128, ' ');
  memory.replace(26, 5, "0001F");
  const json disc = {
      {"appendable", true},
      {"atip", {{"lead_in", "97:46:11"}}},
      {"sessions",
       json::array({{{"tracks", json::array({{{"mode", "mode1"}, {"blocks", 600}}})}},
                    {{"tracks", json::array({{{"mode", "mode1"}, {"blocks", 300}}})}}})}};
  const json drive = {{"vendor_memory", json::array({{{"address", 0}, {"ascii", memory}}})},
                      {"vendor_status", "5A 00"}};
  const ProgramRun run =
      Korvelfw({"--simulate=" + DiscScenario(folder, disc, drive), "disc-info", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const json out = json::parse(run.out);
  EXPECT_EQ(out["class"], "CD-ROM - Mode 1");
  EXPECT_EQ(out["manufacturer"], "Sony (type 1), 79:59:74");
  EXPECT_EQ(out["appendable"], true);
  EXPECT_EQ(out["sense_code"].get<std::string>().size(), 8u);
  EXPECT_EQ(out["drive_number"], "000031");
  EXPECT_EQ(out["vendor_status"], 0x5A);
  EXPECT_EQ(out["tracks"], json::parse(R"([{"number": 1, "session_last": true},
                                           {"number": 2, "session_last": true}])"));
}

TEST(DiscInfoCommandTest, RefusedVendorCommandsAreReportedAndTheRestStillShows) {
  TempFolder folder;
  const ProgramRun run =
      Korvelfw({"--simulate=" + DiscScenario(folder, AudioDiscWithText()), "disc-info"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("Disc class:    Audio CD + CD TEXT\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Volume:        \"Songs && Tunes\"\n"), std::string::npos);
  EXPECT_NE(run.out.find("Drive number:  not available\n"), std::string::npos);
  EXPECT_EQ(run.err,
            "korvelfw: drive 0:2: VENDOR READ 0xF1 failed (status 4, sense 05/21/00); the "
            "maker's own commands are not available on this drive\n");
}

TEST(DiscInfoCommandTest, AnEmptyDriveIsSaidToBeEmpty) {
  TempFolder folder;
  const ProgramRun run = Korvelfw({"--simulate=" + DiscScenario(folder, nullptr), "disc-info"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, "korvelfw: there is no disc in drive 0:2\n");
}

}  // namespace
}  // namespace korvel::cli
