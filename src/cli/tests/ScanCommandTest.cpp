#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/Korvelfw.h"
#include "cli/ScanCommand.h"
#include "cli/tests/KorvelfwRun.h"
#include "machine/SimulatedMachine.h"
#include "platform/sim/DefaultScenario.h"
#include "platform/testing/CaseNames.h"

namespace korvel::cli {
namespace {

ProgramRun Korvelfw(std::vector<std::string> args) {
  return RunKorvelfwWith<ScanCommand>(std::move(args));
}

std::vector<nlohmann::json> LogLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<nlohmann::json> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

TEST(ScanCommandTest, ListsTheDrivesOfTheBuiltInPcInScanOrder) {
  ProgramRun run = Korvelfw({"--simulate", "scan"});
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_EQ(run.out,
            "Transport: ASPI for Win32, 2 host adapters scanned\n"
            "Adapter Target Vendor   Product          Rev  Type Model        Upgradable\n"
            "0       2      KORVEL   CD-R   RZ5140    1.00 16   \" RZ5140 \"   yes\n"
            "1       1      KORVEL   CD-R   RZ6120    2.00 18   \" RZ6120LX \" yes\n"
            "1       5      KORVEL   CD-ROM           3.00 17   \" \"          yes\n"
            "3 Korvel drives found.\n");
  EXPECT_EQ(run.err, "");
}

// An NT 2000 PC without ASPI: the pass-through back end, one drive of another maker, a
// Korvel drive in the maker's word in lower case (not listed: the scan's vendor test is exact)
// and one of an unknown model.
constexpr char kPassThroughScenario[] = R"({"os": "win2000", "adapters": [
  {"id": 0, "port": 0, "targets": [
    {"id": 1, "letter": "D", "vendor": "ACME", "product": "CD-ROM CX-400", "revision": "1.2A"},
    {"id": 3, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ9999   ", "revision": "0.90"}]},
  {"id": 1, "port": 1, "targets": [
    {"id": 0, "letter": "F", "vendor": "korvel", "product": "CD-ROM          ", "revision": "3.00"}]}]})";

TEST(ScanCommandTest, WritesJsonWithTheStringsAsTheDriveReturnedThem) {
  TempFolder folder;
  const std::string scenario = folder.Write("nt.json", kPassThroughScenario);
  const std::string log = folder.PathOf("commands.log");
  ProgramRun run = Korvelfw({"--simulate=" + scenario, "--log-commands", log, "scan", "--json"});
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
  const nlohmann::json expected = {{"drives",
                                    {{{"adapter", 0},
                                      {"target", 3},
                                      {"vendor", "KORVEL  "},
                                      {"product", "CD-R   RZ9999   "},
                                      {"revision", "0.90"},
                                      {"drive_type", -2},
                                      {"model", " "},
                                      {"upgradable", false}}}}};
  EXPECT_EQ(nlohmann::json::parse(run.out), expected);

  // Pass-through: every INQUIRY of the scan is answered from the port's data, in scan order,
  // plus the one of DriveTypeOf for the drive found.
  const std::vector<nlohmann::json> lines = LogLines(log);
  ASSERT_EQ(lines.size(), 2u * 16 + 1);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i]["cdb"], "12 00 00 00 38 00") << i;
    EXPECT_EQ(lines[i]["source"], "host") << i;
  }
  for (int i = 0; i < 32; ++i) {
    const int at = i <= 3 ? i : i + 1;  // DriveTypeOf's INQUIRY follows the one of (0, 3)
    EXPECT_EQ(lines[at]["adapter"], i / 16) << i;
    EXPECT_EQ(lines[at]["target"], i % 16) << i;
  }
  EXPECT_EQ(lines[4]["target"], 3);
}

TEST(ScanCommandTest, AnAspiScanLogsExactlyTheInquiriesItSends) {
  TempFolder folder;
  const std::string log = folder.PathOf("commands.log");
  ProgramRun run = Korvelfw({"--simulate", "--log-commands", log, "scan"});
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
  const std::vector<nlohmann::json> lines = LogLines(log);
  // The start-up's registry scan asks targets 2, 4, 1 and 5 of adapters 0..7 until the drive
  // answers; then the scan: 32 targets, and one more INQUIRY for each of the 3 drives.
  std::vector<std::pair<int, int>> scan;
  for (int adapter = 0; adapter < 2; ++adapter) {
    for (int target = 0; target < 16; ++target) {
      scan.emplace_back(adapter, target);
      if ((adapter == 0 && target == 2) || (adapter == 1 && (target == 1 || target == 5))) {
        scan.emplace_back(adapter, target);
      }
    }
  }
  ASSERT_GE(lines.size(), scan.size());
  const std::size_t first = lines.size() - scan.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i]["cdb"], "12 00 00 00 38 00") << i;
    EXPECT_EQ(lines[i]["direction"], "in") << i;
    EXPECT_EQ(lines[i]["length"], 56) << i;
  }
  for (std::size_t i = 0; i < scan.size(); ++i) {
    EXPECT_EQ(lines[first + i]["adapter"], scan[i].first) << i;
    EXPECT_EQ(lines[first + i]["target"], scan[i].second) << i;
  }
}

TEST(ScanCommandTest, AnEmptyScanSaysSoAndSucceeds) {
  TempFolder folder;
  const std::string scenario = folder.Write("empty.json", R"({"os": "win98",
    "aspi": {"installed": true}, "adapters": [{"id": 0, "targets": [
      {"id": 1, "letter": "D", "vendor": "ACME", "product": "CD-ROM CX-400", "revision": "1.2A"}]}]})");
  ProgramRun text = Korvelfw({"--simulate=" + scenario, "scan"});
  EXPECT_EQ(text.exitCode, kExitSuccess);
  EXPECT_EQ(text.out,
            "Transport: ASPI for Win32, 1 host adapter scanned\nNo Korvel drive was found.\n");
  ProgramRun json = Korvelfw({"--simulate=" + scenario, "--json", "scan"});
  EXPECT_EQ(json.exitCode, kExitSuccess);
  EXPECT_EQ(nlohmann::json::parse(json.out), nlohmann::json::parse(R"({"drives": []})"));
}

// The address tables hold adapters 0..7; an ASPI library that reports more must not have them
// counted as scanned nor dropped without a word.
TEST(ScanCommandTest, AspiAdaptersFromTheEighthUpAreNamedAsUnreachable) {
  TempFolder folder;
  std::string adapters;
  for (int id = 0; id < 10; ++id) {
    adapters += (id == 0 ? "" : ",") + std::string(R"({"id": )") + std::to_string(id) +
                R"(, "driver": "ha)" + std::to_string(id) + R"(", "targets": [{"id": 2}]})";
  }
  const std::string scenario =
      folder.Write("ten.json", R"({"os": "win98", "aspi": {"installed": true}, "adapters": [)" +
                                   adapters + "]}");
  ProgramRun run = Korvelfw({"--simulate=" + scenario, "scan"});
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
            "Transport: ASPI for Win32, 8 host adapters scanned (10 reported)\n");
  EXPECT_NE(run.out.find("8 Korvel drives found."), std::string::npos) << run.out;
  EXPECT_EQ(run.err,
            "note: ASPI host adapter 8 (ha8): cannot be reached, only adapters 0 to 7 can be "
            "addressed\n"
            "note: ASPI host adapter 9 (ha9): cannot be reached, only adapters 0 to 7 can be "
            "addressed\n");
}

TEST(ScanCommandTest, WithoutATransportPrintsTheStartupErrorAndExits3) {
  TempFolder folder;
  const std::string scenario = folder.Write("bare.json", R"({"os": "win95"})");
  ProgramRun run = Korvelfw({"--simulate=" + scenario, "scan"});
  EXPECT_EQ(run.exitCode, kExitNoTransport);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1),
            "ERROR: ASPI Layer for Win32 is not initialized!\n");
}

TEST(ScanCommandTest, OnThisMachineRunsAndSaysWhatItFound) {
  ProgramRun run = Korvelfw({"scan"});
  if (run.exitCode == kExitNoTransport) {
    EXPECT_EQ(run.err.substr(0, run.err.find('\n', run.err.find('\n') + 1) + 1),
              "ERROR: no SCSI generic device (/dev/sg*) was found; load the sg module (modprobe "
              "sg) or attach a drive\n"
              "No SCSI transport: no ASPI, no NT pass-through and no SCSI generic devices "
              "(/dev/sg*) on this machine.\n");
  } else {
    EXPECT_EQ(run.exitCode, kExitSuccess);
    EXPECT_EQ(run.out.rfind("Transport: Linux SCSI generic (SG_IO), ", 0), 0u) << run.out;
    EXPECT_TRUE(run.out.find("found.") != std::string::npos) << run.out;
  }
}

struct BadUsageCase {
  const char* name;
  std::vector<std::string> args;
  const char* message;
};

void PrintTo(const BadUsageCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class BadUsageTest : public ::testing::TestWithParam<BadUsageCase> {};

TEST_P(BadUsageTest, ExitsWith2AndSaysWhy) {
  TempFolder folder;
  std::vector<std::string> args = GetParam().args;
  for (std::string& arg : args) {
    if (arg.find("BAD_FILE") != std::string::npos) {
      const std::string path = folder.Write("bad.json", R"({"os": "win2001"})");
      arg.replace(arg.find("BAD_FILE"), 8, path);
    }
  }
  ProgramRun run = Korvelfw(args);
  EXPECT_EQ(run.exitCode, kExitBadUsage);
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadUsageTest,
    ::testing::Values(
        BadUsageCase{"NoCommand", {"--simulate"}, "A subcommand is required"},
        BadUsageCase{"UnknownOption", {"--frobnicate", "scan"}, "--frobnicate"},
        BadUsageCase{"BadDrive", {"--simulate", "--drive", "9:1", "scan"}, "--drive takes H:T"},
        BadUsageCase{"MissingScenario",
                     {"--simulate=/no/such/file.json", "scan"},
                     "bad scenario: /no/such/file.json: cannot be read"},
        BadUsageCase{"BadScenario", {"--simulate=BAD_FILE", "scan"}, "os: \"win2001\" is not"},
        BadUsageCase{"EmptyDrive", {"--simulate", "--drive", "", "scan"}, "--drive takes H:T"},
        BadUsageCase{"EmptyLog", {"--simulate", "--log-commands", "", "scan"}, "needs a file name"},
        BadUsageCase{"LogOnDevFull",
                     {"--simulate", "--log-commands", "/dev/full", "scan"},
                     "cannot write the command log /dev/full: No space left on device"},
        BadUsageCase{"UnwritableLog",
                     {"--simulate", "--log-commands", "/no/such/dir/log", "scan"},
                     "cannot write the command log"}),
    [](const ::testing::TestParamInfo<BadUsageCase>& info) { return info.param.name; });

TEST(KorvelfwTest, HelpExitsWith0AndNamesTheOptions) {
  ProgramRun run = Korvelfw({"--help"});
  EXPECT_EQ(run.exitCode, kExitSuccess);
  for (const char* option : {"--simulate", "--log-commands", "--json", "--drive", "scan"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
}

// A PC whose drives all refused to open, as a real machine where the user has no rights to any
// device node: the scan reaches the adapters but no drive.
class BlindMachine : public machine::SimulatedMachine {
 public:
  BlindMachine() : SimulatedMachine(WithoutDevices(), false) {}
  bool CouldOpenNoDevice() const override { return true; }
  std::vector<std::string> Notes() const override {
    return {"Permission denied opening /dev/sg0. Run as root.",
            "Permission denied opening /dev/sg1. Run as root."};
  }

 private:
  static platform::sim::Scenario WithoutDevices() {
    platform::sim::Scenario scenario = platform::sim::DefaultScenario();
    for (platform::sim::AdapterSettings& adapter : scenario.adapters) adapter.targets.clear();
    return scenario;
  }
};

ProgramRun ScanOnABlindMachine(bool json) {
  GlobalOptions options;
  options.json = json;
  std::ostringstream out;
  std::ostringstream err;
  ScanCommand scan;
  int code = 0;
  {
    CliContext context(options, std::make_unique<BlindMachine>(), {}, out, err);
    code = scan.Run(context);
  }
  return {code, out.str(), err.str()};
}

TEST(ScanCommandTest, NoNodeOpenedIsAFailureNamingEveryNodeNotAnEmptyBus) {
  const std::string expectedErr =
      "korvelfw: none of the drives' device nodes could be opened, so no drive could be asked "
      "what it is\n"
      "note: Permission denied opening /dev/sg0. Run as root.\n"
      "note: Permission denied opening /dev/sg1. Run as root.\n";
  ProgramRun text = ScanOnABlindMachine(false);
  EXPECT_EQ(text.exitCode, kExitNoTransport);
  EXPECT_EQ(text.out.find("No Korvel drive was found."), std::string::npos) << text.out;
  EXPECT_EQ(text.err, expectedErr);

  ProgramRun json = ScanOnABlindMachine(true);
  EXPECT_EQ(json.exitCode, kExitNoTransport);
  const nlohmann::json document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document.at("drives"), nlohmann::json::array());
  EXPECT_EQ(document.at("error"),
            "none of the drives' device nodes could be opened, so no drive could be asked what it "
            "is");
  EXPECT_EQ(json.err, expectedErr);
}

}  // namespace
}  // namespace korvel::cli
