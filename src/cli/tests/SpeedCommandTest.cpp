// korvelfw speed on simulated PCs: what it reports, what reaches the drive (from the command log),
// and its exit codes for bad steps, failed commands and drives of other makers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "cli/ExitCodes.h"
#include "cli/Korvelfw.h"
#include "cli/SafeText.h"
#include "cli/SpeedCommand.h"
#include "cli/tests/KorvelfwRun.h"

namespace korvel::cli {
namespace {

using nlohmann::json;

ProgramRun Korvelfw(std::vector<std::string> args) {
  return RunKorvelfwWith<SpeedCommand>(std::move(args));
}

// The logged commands other than INQUIRY.
std::vector<json> DriveCommands(const std::string& path) {
  std::ifstream in(path);
  std::vector<json> lines;
  for (std::string line; std::getline(in, line);) {
    json entry = json::parse(line);
    if (entry.at("cdb").get<std::string>().substr(0, 2) != "12") lines.push_back(entry);
  }
  return lines;
}

// A PC with one drive at 0:3, described by `target`.
std::string OneDriveScenario(const TempFolder& folder, const json& target) {
  json drive = target;
  drive["id"] = 3u;
  json adapter = json::object();
  adapter["id"] = 0u;
  adapter["targets"] = json::array({drive});
  json scenario = json::object();
  scenario["os"] = "win98";
  scenario["aspi"] = json::object({{"installed", true}});
  scenario["adapters"] = json::array({adapter});
  return folder.Write("pc.json", scenario.dump());
}

TEST(SpeedCommandTest, SetsStep2OnTheRz5140WithSetCdSpeedAndReportsIt) {
  TempFolder folder;
  const std::string log = folder.PathOf("log.jsonl");
  ProgramRun run =
      Korvelfw({"--simulate", "--log-commands", log, "speed", "--drive", "0:2", "--set", "2"});
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_EQ(run.out,
            "Drive 0:2: KORVEL   CD-R   RZ5140    1.00, type 16\n"
            "Step Name            Compact\n"
            "0    1 X CLV         1X CLV\n"
            "1    4 X CLV         4X CLV\n"
            "2    8 X CLV         8X CLV\n"
            "3    9-20 X CAV      9-20X CAV\n"
            "Current step: 2 (8 X CLV)\n"
            "Read speed index: 2\n"
            "Write speed index: 3 (8X)\n");
  EXPECT_EQ(run.err, "");
  const std::vector<json> sent = DriveCommands(log);
  ASSERT_GE(sent.size(), 2u);
  // SET CD SPEED 1411 kB/s first, then page 0x2A read back.
  EXPECT_EQ(sent[0].at("cdb"), "BB 00 05 83 FF FF 00 00 00 00 00 00");
  EXPECT_EQ(sent[1].at("cdb"), "1A 00 2A 00 22 00");
}

TEST(SpeedCommandTest, JsonOfTheCdRomDriveAfterSettingStep3) {
  TempFolder folder;
  const std::string log = folder.PathOf("log.jsonl");
  ProgramRun run = Korvelfw(
      {"--simulate", "--log-commands", log, "speed", "--drive", "1:5", "--set", "3", "--json"});
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
  const json expected = json::parse(R"({
    "drive": "1:5", "drive_type": 17,
    "steps": [{"step": 2, "name": "4 X CLV", "compact_name": "4X CLV"},
              {"step": 3, "name": "8 X CLV", "compact_name": "8X CLV"},
              {"step": 5, "name": "14-32 X CAV", "compact_name": "14-32X CAV"},
              {"step": 6, "name": "17-40 X CAV", "compact_name": "17-40X CAV"}],
    "current_step": 3, "read_speed_index": 4, "write_speed_index": 3, "write_speed_name": "8X"})");
  EXPECT_EQ(json::parse(run.out), expected);
  // Step 3 is setting 6 in page 0x31, the drive's fastest (4234 kB/s: index 4).
  const std::vector<json> sent = DriveCommands(log);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0].at("cdb"), "15 00 00 00 08 00");
  EXPECT_EQ(sent[0].at("data_out"), "00 00 00 00 31 02 06 00");
  EXPECT_EQ(sent[0].at("data_out_length"), 8);
}

TEST(SpeedCommandTest, WithoutDriveTheFirstKorvelDriveAndNoSetSendsNothingButReads) {
  TempFolder folder;
  const std::string log = folder.PathOf("log.jsonl");
  ProgramRun run = Korvelfw({"--simulate", "--log-commands", log, "speed", "--json"});
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_EQ(json::parse(run.out).at("drive"), "0:2");
  for (const json& entry : DriveCommands(log)) {
    EXPECT_NE(entry.at("direction"), "out") << entry.dump();
    EXPECT_NE(entry.at("cdb").get<std::string>().substr(0, 2), "BB");
  }
}

TEST(SpeedCommandTest, AnotherMakersDriveHasNoStepsAndFails) {
  TempFolder folder;
  const std::string log = folder.PathOf("log.jsonl");
  ProgramRun run =
      Korvelfw({"--simulate", "--log-commands", log, "speed", "--drive", "0:4", "--json"});
  EXPECT_EQ(run.exitCode, kExitFailed);
  const json expected = json::parse(R"({"drive": "0:4", "drive_type": -1, "steps": [],
    "current_step": null, "read_speed_index": null, "write_speed_index": null,
    "write_speed_name": "unknown"})");
  EXPECT_EQ(json::parse(run.out), expected);
  EXPECT_NE(run.err.find("not a Korvel drive of a known model"), std::string::npos) << run.err;
  EXPECT_TRUE(DriveCommands(log).empty());
}

TEST(SpeedCommandTest, AFailedCommandIsNamedWithItsSense) {
  TempFolder folder;
  const std::string scenario = OneDriveScenario(
      folder, {{"vendor", "KORVEL"},
               {"product", "CD-R   RZ5140   "},
               {"faults", {{{"opcode", "0xBB"}, {"status", 2u}, {"sense", "05/24/00"}}}}});
  ProgramRun text = Korvelfw({"--simulate=" + scenario, "speed", "--set", "1"});
  EXPECT_EQ(text.exitCode, kExitFailed);
  EXPECT_EQ(text.err, "korvelfw: SET CD SPEED to drive 0:3 failed (status 4, sense 05/24/00)\n");

  ProgramRun asJson = Korvelfw({"--simulate=" + scenario, "speed", "--set", "1", "--json"});
  EXPECT_EQ(asJson.exitCode, kExitFailed);
  const json document = json::parse(asJson.out);
  EXPECT_EQ(document.at("error"),
            json::parse(R"({"command": "SET CD SPEED", "status": 4, "sense": "05/24/00"})"));
  EXPECT_EQ(document.at("current_step"), nullptr);
}

TEST(SpeedCommandTest, AFailedReadGivesAnUnknownStep) {
  TempFolder folder;
  const std::string scenario = OneDriveScenario(
      folder, {{"vendor", "KORVEL"},
               {"product", "CD-ROM          "},
               {"faults", {{{"opcode", "0x1A"}, {"status", 2u}, {"sense", "02/04/01"}}}}});
  ProgramRun run = Korvelfw({"--simulate=" + scenario, "speed"});
  EXPECT_EQ(run.exitCode, kExitFailed);
  EXPECT_NE(run.out.find("Current step: unknown\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "korvelfw: MODE SENSE(6) to drive 0:3 failed (status 4, sense 02/04/01)\n");
}

TEST(SpeedCommandTest, BadStepsAreUsageErrorsAndSendNothing) {
  for (const char* step : {"", "7", "-1", "x", "2x", " 2", "02", "255"}) {
    TempFolder folder;
    const std::string log = folder.PathOf("log.jsonl");
    ProgramRun run = Korvelfw({"--simulate", "--log-commands", log, "speed", "--set", step});
    EXPECT_EQ(run.exitCode, kExitBadUsage) << "\"" << step << "\"";
    EXPECT_TRUE(DriveCommands(log).empty()) << step;
  }
  // A step the drive does not list.
  TempFolder folder;
  const std::string log = folder.PathOf("log.jsonl");
  ProgramRun run =
      Korvelfw({"--simulate", "--log-commands", log, "speed", "--drive", "1:5", "--set", "4"});
  EXPECT_EQ(run.exitCode, kExitBadUsage);
  EXPECT_EQ(run.err, "korvelfw: drive 1:5 (type 17) offers steps 2 3 5 6, not 4\n");
  EXPECT_TRUE(DriveCommands(log).empty());
}

TEST(SpeedCommandTest, NoDeviceAtTheAddressOrNoDriveAtAll) {
  ProgramRun nobody = Korvelfw({"--simulate", "speed", "--drive", "0:7"});
  EXPECT_EQ(nobody.exitCode, kExitNoTransport);
  EXPECT_EQ(nobody.err, "korvelfw: no device answers at 0:7\n");

  TempFolder folder;
  const std::string empty = folder.Write("empty.json", R"({"os": "win98",
      "aspi": {"installed": true}, "adapters": [{"id": 0, "targets": []}]})");
  ProgramRun none = Korvelfw({"--simulate=" + empty, "speed"});
  EXPECT_EQ(none.exitCode, kExitNoTransport);
  EXPECT_EQ(none.err, "korvelfw: no Korvel drive was found\n");
}

TEST(SpeedCommandTest, DriveTextsArePrintedSafely) {
  TempFolder folder;
  const std::string scenario = OneDriveScenario(
      folder, {{"vendor", "KORVEL"}, {"product", "CD-R\x1b[2J\\\x01     "}, {"maker", "korvel"}});
  ProgramRun run = Korvelfw({"--simulate=" + scenario, "speed", "--drive", "0:3"});
  EXPECT_EQ(run.exitCode, kExitFailed);  // a product in no row: no speed table
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
            "Drive 0:3: KORVEL   CD-R\\x1B[2J\\\\x01       1.00, type -2");
}

TEST(PrintableTextTest, KeepsPrintableTextAndEscapesControlsAndBadBytes) {
  EXPECT_EQ(PrintableText("CD-R   RZ5140   "), "CD-R   RZ5140   ");
  EXPECT_EQ(PrintableText(std::string("a\0b", 3)), "a\\x00b");
  // A whole UTF-8 sequence is printable; DEL and a line feed are not.
  EXPECT_EQ(PrintableText("\x7F\xC3\xA9\\\n"), "\\x7F\xC3\xA9\\\\x0A");
}

}  // namespace
}  // namespace korvel::cli
