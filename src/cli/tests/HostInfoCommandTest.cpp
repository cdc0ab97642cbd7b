// korvelfw host-info on the shipped scenarios of each operating system, on scenarios made for a
// test, and on this Linux machine: the texts and JSON it prints, and that it sends no command.
#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/HostInfoCommand.h"
#include "cli/tests/KorvelfwRun.h"
#include "machine/SimulatedMachine.h"
#include "platform/sim/RegistryTree.h"
#include "platform/sim/Scenario.h"

namespace korvel::cli {
namespace {

using nlohmann::json;

ProgramRun Korvelfw(std::vector<std::string> args) {
  return RunKorvelfwWith<HostInfoCommand>(std::move(args));
}

std::string ShippedScenario(const std::string& name) {
  const char* dir = std::getenv("KORVEL_SOURCE_DIR");
  return (std::filesystem::path(dir == nullptr ? "." : dir) / "scenarios" / name).string();
}

TEST(HostInfoCommandTest, TheBuiltInWindows98Pc) {
  ProgramRun run = Korvelfw({"--simulate", "host-info"});
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_EQ(run.out,
            "Operating system: Windows 98 V4.10.1998 \n"
            "ASPI file version: 4.71.2.0\n"
            "ASPI description: ASPI for Win32 DLL\n"
            "ASPI company: Quillmere Adapter Labs\n"
            "Auto-run mask: 0x95 (bits 0 to 7: 10101001)\n"
            "Audio CD verb: play\n"
            "Free space:\n"
            "  A: 0 bytes\n"
            "  C: 1610612736 bytes\n"
            "  E: 0 bytes\n"
            "  F: 0 bytes\n"
            "  G: 0 bytes\n"
            "  H: 0 bytes\n");
  EXPECT_EQ(run.err, "");
}

TEST(HostInfoCommandTest, JsonOnEachOperatingSystem) {
  const struct {
    const char* scenario;
    const char* json;
  } cases[] = {
      {"win95-old-aspi.json",
       R"json({"os":"Windows 95 V4.00.950 ","aspi_file_version":"2.04 (0031)",
           "aspi_description":"ASPI for Win32 (95) DLL","aspi_company":"","autorun_mask":181,
           "audio_cd_verb":"Play","free_bytes":{"A":0,"C":327680000,"D":0}})json"},
      {"default.json",
       R"json({"os":"Windows 98 V4.10.1998 ","aspi_file_version":"4.71.2.0",
           "aspi_description":"ASPI for Win32 DLL","aspi_company":"Quillmere Adapter Labs",
           "autorun_mask":149,"audio_cd_verb":"play",
           "free_bytes":{"A":0,"C":1610612736,"E":0,"F":0,"G":0,"H":0}})json"},
      {"nt4-passthrough.json",
       R"json({"os":"Windows NT V4.00.1381 Service Pack 6","aspi_file_version":"N/A",
           "aspi_description":"N/A","aspi_company":"","autorun_mask":149,"audio_cd_verb":null,
           "free_bytes":{"A":0,"C":536870912,"D":1638400000,"E":0,"F":0,"G":0}})json"},
      {"win2000-aspi.json",
       R"json({"os":"Windows 2000 V5.00.2195 Service Pack 4","aspi_file_version":"4.71.2.0",
           "aspi_description":"ASPI for Win32 DLL","aspi_company":"Quillmere Adapter Labs",
           "autorun_mask":145,"audio_cd_verb":"play",
           "free_bytes":{"A":0,"C":34359738368,"E":0,"F":0}})json"},
  };
  for (const auto& c : cases) {
    ProgramRun run = Korvelfw({"--simulate=" + ShippedScenario(c.scenario), "host-info", "--json"});
    EXPECT_EQ(run.exitCode, kExitSuccess) << c.scenario << ": " << run.err;
    EXPECT_EQ(json::parse(run.out), json::parse(c.json)) << c.scenario;
  }
}

// Every key below `key`, with each value's type and bytes, one line each.
void DumpKey(const platform::sim::RegistryKey& key, const std::string& path, std::string& out) {
  out += path + "\n";
  for (const platform::sim::RegistryValue& value : key.values()) {
    out += path + " [" + value.name + "] " + std::to_string(value.type) + ":";
    for (platform::BYTE byte : value.data) out += " " + std::to_string(byte);
    out += "\n";
  }
  for (const auto& subkey : key.subkeys()) DumpKey(*subkey, path + "\\" + subkey->name(), out);
}

std::string DumpRegistry(platform::sim::RegistryTree& tree) {
  std::string out;
  for (const char* root : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                           "HKEY_USERS", "HKEY_DYN_DATA"}) {
    if (platform::sim::RegistryKey* key = tree.Root(root)) DumpKey(*key, root, out);
  }
  return out;
}

// A report changes nothing: the registry of the PC is the same, key for key and byte for byte,
// after host-info as before it, whether the audio CD keys exist or not.
TEST(HostInfoCommandTest, LeavesTheRegistryAsItWas) {
  const struct {
    const char* scenario;
    const char* verbLine;
    const char* verbJson;
  } cases[] = {
      {R"({"os":"win98"})", "Audio CD verb: play\n", R"("play")"},
      {R"({"os":"win98","shell":{"audio_cd_verb":null}})", "Audio CD verb: not set\n", "null"},
      {R"({"os":"nt4","shell":{"audio_cd_keys":false}})", "Audio CD verb: not set\n", "null"},
      {R"({"os":"win98","shell":{"audio_cd_keys":false}})", "Audio CD verb: not set\n", "null"},
  };
  for (const auto& c : cases) {
    for (const bool json : {false, true}) {
      auto owned = std::make_unique<machine::SimulatedMachine>(
          platform::sim::LoadScenarioText(c.scenario), false);
      platform::sim::RegistryTree& tree = owned->pc().registry().tree();
      const std::string before = DumpRegistry(tree);
      std::ostringstream out;
      std::ostringstream err;
      GlobalOptions options;
      options.simulate = true;
      options.json = json;
      CliContext context(options, std::move(owned), {}, out, err);
      HostInfoCommand command;
      EXPECT_EQ(command.Run(context), kExitSuccess) << c.scenario << ": " << err.str();
      EXPECT_EQ(DumpRegistry(tree), before) << c.scenario;
      if (json) {
        EXPECT_EQ(json::parse(out.str())["audio_cd_verb"], json::parse(c.verbJson)) << c.scenario;
      } else {
        EXPECT_NE(out.str().find(c.verbLine), std::string::npos) << c.scenario << "\n" << out.str();
      }
    }
  }
}

TEST(HostInfoCommandTest, SendsNoScsiCommand) {
  TempFolder folder;
  const std::string log = folder.PathOf("log.jsonl");
  ProgramRun run = Korvelfw({"--simulate", "--log-commands", log, "host-info"});
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.err;
  std::ifstream in(log);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "");
}

TEST(HostInfoCommandTest, TextsFromTheMachineArePrintedSafely) {
  TempFolder folder;
  const std::string scenario = folder.Write("pc.json", R"json({"os":"win98",
      "aspi":{"installed":true,"version":{"company":"\u001b[2JWipe","file_version":"\u00ff1"}},
      "shell":{"audio_cd_verb":"play\r\nAuto-run mask: 0xFF"}})json");
  ProgramRun run = Korvelfw({"--simulate=" + scenario, "host-info"});
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_NE(run.out.find("ASPI company: \\x1B[2JWipe\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Audio CD verb: play\\x0D\\x0AAuto-run mask: 0xFF\n"), std::string::npos)
      << run.out;
  // The record holds each byte of the scenario's UTF-8 as one character and gives the bytes back.
  EXPECT_NE(run.out.find("ASPI file version: \xC3\xBF"
                         "1\n"),
            std::string::npos)
      << run.out;

  ProgramRun asJson = Korvelfw({"--simulate=" + scenario, "host-info", "--json"});
  const json document = json::parse(asJson.out);
  EXPECT_EQ(document["aspi_company"], "\x1b[2JWipe");
  EXPECT_EQ(document["free_bytes"], json::object());
}

TEST(HostInfoCommandTest, ThisLinuxMachine) {
  ProgramRun run = Korvelfw({"host-info", "--json"});
  EXPECT_EQ(run.exitCode, kExitSuccess) << run.err;
  struct utsname name {};
  ASSERT_EQ(::uname(&name), 0);
  const json expected = {{"os", std::string(name.sysname) + " " + name.release},
                         {"aspi_file_version", "N/A"},
                         {"aspi_description", "N/A"},
                         {"aspi_company", ""},
                         {"autorun_mask", 0},
                         {"audio_cd_verb", nullptr},
                         {"free_bytes", json::object()}};
  EXPECT_EQ(json::parse(run.out), expected);
}

}  // namespace
}  // namespace korvel::cli
