// The disc key of a scenario: the forms, the modifiers, the layout they produce, and that every
// refusal names its key path.
#include <gtest/gtest.h>

#include "emulator/ConfigError.h"
#include "emulator/images/DiscJson.h"

namespace korvel::emulator {
namespace {

using nlohmann::json;

std::string ErrorOf(const json& disc) {
  try {
    ReadDisc(disc, "disc");
  } catch (const ConfigError& error) {
    return error.what();
  }
  return "(accepted)";
}

json Track(const char* mode, int blocks) {
  return {{"mode", mode}, {"blocks", blocks}};
}

TEST(DiscJsonTest, RefusalsNameTheKeyPath) {
  const json tooManyTracks = [] {
    json tracks = json::array();
    for (int i = 0; i < 100; ++i) tracks.push_back(Track("audio", 300));
    return json{{"sessions", {{{"tracks", tracks}}}}};
  }();
  const json tooManySessions = [] {
    json sessions = json::array();
    for (int i = 0; i < 41; ++i) sessions.push_back({{"tracks", {Track("mode1", 1)}}});
    return json{{"sessions", sessions}};
  }();
  const struct {
    json disc;
    std::string expected;
  } cases[] = {
      {json::object(), "disc: give blocks or sessions, or blank: true for an empty disc"},
      {{{"blocks", 10}, {"sessions", json::array()}}, "disc: give either blocks or sessions"},
      {{{"blocks", 449850}}, "disc.blocks: must be at most 449849"},
      {{{"blocks", 10}, {"tracks", 1}}, "disc.tracks: unknown key"},
      {{{"sessions", json::array()}}, "disc.sessions: a disc holds at least one session"},
      {{{"sessions", {{{"tracks", json::array()}}}}},
       "disc.sessions[0].tracks: a session holds at least one track"},
      {{{"sessions", {json::object()}}}, "disc.sessions[0].tracks: required"},
      {{{"sessions", {{{"tracks", {{{"mode", "mode3"}, {"blocks", 5}}}}}}}},
       "disc.sessions[0].tracks[0].mode: expected \"audio\", \"mode1\" or \"mode2\", got "
       "\"mode3\""},
      {{{"sessions", {{{"tracks", {{{"mode", "audio"}}}}}}}},
       "disc.sessions[0].tracks[0].blocks: required"},
      {{{"sessions", {{{"tracks", {Track("audio", 0)}}}}}},
       "disc.sessions[0].tracks[0].blocks: a track holds at least one block"},
      {{{"sessions", {{{"tracks", {Track("audio", 300000), Track("audio", 300000)}}}}}},
       "disc.sessions[0].tracks[1]: the disc would be longer than 100 minutes (600000 blocks)"},
      {tooManyTracks, "disc.sessions[0].tracks[99]: a disc holds at most 99 tracks"},
      // Each session after the first costs 11400 blocks of lead-out, lead-in and pre-gap.
      {tooManySessions,
       "disc.sessions[40].tracks[0]: the disc would be longer than 100 minutes (456041 blocks)"},
      {{{"sessions", {{{"tracks", {{{"blocks", 5}, {"title", std::string(161, 'a')}}}}}}}},
       "disc.sessions[0].tracks[0].title: longer than 160 characters"},
      {{{"blocks", 5}, {"title", "x"}}, "disc.title: unknown key"},
      {{{"sessions", {{{"tracks", {Track("audio", 5)}}}}}, {"performer", "tab\there"}},
       "disc.performer: CD-TEXT takes printable ASCII characters only"},
      {{{"blocks", 5}, {"atip", {{"lead_in", "97:24"}}}},
       "disc.atip.lead_in: expected a time \"MM:SS:FF\", got \"97:24\""},
      {{{"blocks", 5}, {"atip", {{"lead_in", "97:60:00"}}}},
       "disc.atip.lead_in: seconds run from 00 to 59"},
      {{{"blocks", 5}, {"atip", {{"lead_in", "97:24:75"}}}},
       "disc.atip.lead_in: frames run from 00 to 74"},
      {{{"blocks", 5}, {"atip", {{"lead_in", "00:02:00"}}}},
       "disc.atip.lead_in: a lead-in starts before block 0, at minute 90 or later"},
      {{{"blocks", 5}, {"atip", {{"speed_code", 16}}}}, "disc.atip.speed_code: must be at most 15"},
      {{{"blocks", 5}, {"atip", {{"lead_out", "00:02:04"}}}},
       "disc.atip: the disc's last lead-out (block 5) lies beyond the ATIP lead-out"},
      {{{"blocks", 5}, {"atip", {{"colour", "gold"}}}}, "disc.atip.colour: unknown key"},
      {{{"blocks", 5}, {"blank", true}, {"appendable", true}},
       "disc.appendable: a blank disc has no closed session to append to"},
      {{{"sessions", {{{"tracks", {Track("mode1", 5)}}}, {{"tracks", {Track("mode1", 5)}}}}},
        {"blank", true}},
       "disc.blank: a blank disc has only its one open session"},
      {{{"blank", "yes"}}, "disc.blank: expected true or false"},
      {{{"blank", false}}, "disc: give blocks or sessions, or blank: true for an empty disc"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.disc), c.expected) << c.disc.dump();
}

TEST(DiscJsonTest, CatalogOfTheDiscAndIsrcOfATrack) {
  const Disc disc = *ReadDisc({{"sessions",
                                {{{"tracks",
                                   {{{"mode", "audio"}, {"blocks", 300}, {"isrc", "XX9X91500042"}},
                                    Track("audio", 300)}}}}},
                               {"catalog", "4999123456780"}},
                              "disc");
  EXPECT_EQ(disc.catalog, "4999123456780");
  ASSERT_EQ(disc.tracks.size(), 2u);
  EXPECT_EQ(disc.tracks[0].isrc, "XX9X91500042");
  EXPECT_EQ(disc.tracks[1].isrc, "");
  EXPECT_EQ(ReadDisc({{"blocks", 5}}, "disc")->catalog, "");

  const std::string kNotIsrc =
      " is not an ISRC (12 characters CCOOOYYSSSSS: a country code of 2 and an owner code of 3 "
      "letters A to Z or digits, a year of 2 and a serial number of 5 digits)";
  const auto withCatalog = [](json catalog) {
    return json{{"sessions", {{{"tracks", {Track("audio", 5)}}}}}, {"catalog", std::move(catalog)}};
  };
  const auto withIsrc = [](json isrc) {
    return json{{"sessions", {{{"tracks", {{{"blocks", 5}, {"isrc", std::move(isrc)}}}}}}}};
  };
  const struct {
    json disc;
    std::string expected;
  } cases[] = {
      {withCatalog("499912345678"),
       "disc.catalog: \"499912345678\" is not a media catalog number (13 digits)"},
      {withCatalog("49991234567801"),
       "disc.catalog: \"49991234567801\" is not a media catalog number (13 digits)"},
      {withCatalog("499912345678A"),
       "disc.catalog: \"499912345678A\" is not a media catalog number (13 digits)"},
      {withCatalog(""), "disc.catalog: \"\" is not a media catalog number (13 digits)"},
      {withCatalog(4999123456780), "disc.catalog: expected a string"},
      {{{"blocks", 5}, {"catalog", "4999123456780"}}, "disc.catalog: unknown key"},
      {withIsrc("XX9X9150004"), "disc.sessions[0].tracks[0].isrc: \"XX9X9150004\"" + kNotIsrc},
      {withIsrc("xx9x91500042"), "disc.sessions[0].tracks[0].isrc: \"xx9x91500042\"" + kNotIsrc},
      {withIsrc("XX9X9150004Q"), "disc.sessions[0].tracks[0].isrc: \"XX9X9150004Q\"" + kNotIsrc},
      {withIsrc(""), "disc.sessions[0].tracks[0].isrc: \"\"" + kNotIsrc},
      {withIsrc(nullptr), "disc.sessions[0].tracks[0].isrc: expected a string"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.disc), c.expected) << c.disc.dump();
}

TEST(DiscJsonTest, NoDiscAndBlocksForm) {
  EXPECT_FALSE(ReadDisc(nullptr, "disc").has_value());
  const Disc disc = *ReadDisc({{"blocks", 1000}}, "disc");
  ASSERT_EQ(disc.tracks.size(), 1u);
  EXPECT_EQ(disc.tracks[0].mode, TrackMode::Mode1);
  EXPECT_EQ(disc.tracks[0].pregapStart, 0);
  EXPECT_EQ(disc.tracks[0].end, 1000);
  ASSERT_EQ(disc.sessions.size(), 1u);
  EXPECT_EQ(disc.sessions[0].leadOut, 1000);
  EXPECT_FALSE(disc.atip.has_value());
  EXPECT_FALSE(disc.blank);
}

TEST(DiscJsonTest, SessionsAreLaidOutAsARecorderDoes) {
  const Disc disc = *ReadDisc(
      {{"sessions",
        {{{"tracks",
           {Track("audio", 1000), {{"mode", "audio"}, {"blocks", 500}, {"pregap", 150}}}}},
         {{"tracks", {Track("mode2", 2000)}}}}},
       {"appendable", true}},
      "disc");
  ASSERT_EQ(disc.tracks.size(), 3u);
  const struct {
    std::uint8_t session;
    TrackMode mode;
    std::int32_t pregapStart, start, end;
  } expected[] = {
      {1, TrackMode::Audio, 0, 0, 1000},
      {1, TrackMode::Audio, 1000, 1150, 1650},
      // After the lead-out (6750), the lead-in (4500) and the first pre-gap (150).
      {2, TrackMode::Mode2Xa, 1650 + 11250, 1650 + 11400, 1650 + 11400 + 2000},
  };
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(disc.tracks[i].number, i + 1);
    EXPECT_EQ(disc.tracks[i].session, expected[i].session) << i;
    EXPECT_EQ(disc.tracks[i].mode, expected[i].mode) << i;
    EXPECT_EQ(disc.tracks[i].pregapStart, expected[i].pregapStart) << i;
    EXPECT_EQ(disc.tracks[i].start, expected[i].start) << i;
    EXPECT_EQ(disc.tracks[i].end, expected[i].end) << i;
  }
  ASSERT_EQ(disc.sessions.size(), 2u);
  EXPECT_EQ(disc.sessions[0].leadOut, 1650);
  EXPECT_EQ(disc.sessions[1].leadOut, 1650 + 11400 + 2000);
  EXPECT_TRUE(disc.appendable);
  ASSERT_TRUE(disc.atip.has_value()) << "an appendable disc is recordable";
  EXPECT_EQ(disc.atip->leadIn.minute, 97);
}

TEST(DiscJsonTest, ModifiersAndText) {
  const Disc disc = *ReadDisc(
      {{"sessions", {{{"tracks", {{{"blocks", 300}, {"title", "One"}, {"packet", true}}}}}}},
       {"title", "Album"},
       {"performer", "Band"},
       {"blank", true},
       {"atip",
        {{"lead_in", "97:27:03"},
         {"lead_out", "74:12:00"},
         {"rewritable", true},
         {"speed_code", 2}}}},
      "disc");
  EXPECT_TRUE(disc.blank);
  EXPECT_EQ(disc.title, "Album");
  EXPECT_EQ(disc.performer, "Band");
  EXPECT_EQ(disc.tracks[0].title, "One");
  EXPECT_TRUE(disc.tracks[0].packet);
  ASSERT_TRUE(disc.atip.has_value());
  EXPECT_EQ(disc.atip->leadIn.second, 27);
  EXPECT_EQ(disc.atip->leadIn.frame, 3);
  EXPECT_EQ(disc.atip->leadOut.minute, 74);
  EXPECT_TRUE(disc.atip->rewritable);
  EXPECT_EQ(disc.atip->speedCode, 2);

  const Disc empty = *ReadDisc({{"blank", true}}, "disc");
  EXPECT_TRUE(empty.blank);
  EXPECT_TRUE(empty.tracks.empty());
  EXPECT_TRUE(empty.atip.has_value());
}

}  // namespace
}  // namespace korvel::emulator
