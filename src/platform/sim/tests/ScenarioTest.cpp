#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "emulator/ConfigError.h"
#include "platform/sim/DefaultScenario.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {
namespace {

std::filesystem::path SourceDir() {
  const char* dir = std::getenv("KORVEL_SOURCE_DIR");
  return dir == nullptr ? std::filesystem::path(".") : std::filesystem::path(dir);
}

struct BadScenario {
  const char* json;
  const char* message;  // the whole message of the ConfigError
};

void PrintTo(const BadScenario& c, std::ostream* os) {
  *os << c.message;
}

class ScenarioErrorTest : public ::testing::TestWithParam<BadScenario> {};

TEST_P(ScenarioErrorTest, NamesTheKeyAndTheFault) {
  try {
    LoadScenarioText(GetParam().json);
    FAIL() << "accepted: " << GetParam().json;
  } catch (const emulator::ConfigError& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScenarioErrorTest,
    ::testing::Values(
        BadScenario{R"({"os":"win98","adapters":[{"id":0},{"id":1,"targets":[{"id":16}]}]})",
                    "adapters[1].targets[0].id: 16 is not a target ID (0 to 15)"},
        BadScenario{R"({"adapters":[]})", "os: missing"},
        BadScenario{R"({"os":"win31"})",
                    R"(os: "win31" is not one of "win95", "win98", "nt4", "win2000")"},
        BadScenario{R"({"os":"nt4","colour":"blue"})", "colour: unknown key"},
        BadScenario{R"({"os":"nt4","aspi":{"installed":true,"speed":1}})",
                    "aspi.speed: unknown key"},
        BadScenario{R"({"os":"nt4","aspi":{}})", "aspi.installed: missing"},
        BadScenario{R"({"os":"nt4","aspi":{"installed":"yes"}})",
                    "aspi.installed: must be true or false"},
        BadScenario{R"({"os":"nt4","aspi":{"installed":true,"completion":"later"}})",
                    R"(aspi.completion: "later" is not "pending" or "immediate")"},
        BadScenario{R"({"os":"nt4","aspi":{"installed":true,"support_info":"0x01zz"}})",
                    R"(aspi.support_info: "0x01zz" is not a number (write 12 or "0x0C"))"},
        BadScenario{R"({"os":"nt4","aspi":{"installed":true,"entries":["A",2]}})",
                    "aspi.entries[1]: must be a string"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0,"bus":1}]})",
                    "adapters[0].bus: unknown key"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0},{"id":0}]})",
                    "adapters[1].id: 0 is used by another adapter"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0,"port":1},{"id":1}]})",
                    "adapters[1].port: 1 is used by another adapter"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0,"host_id":-1}]})",
                    "adapters[0].host_id: -1 is not a SCSI ID (0 to 15)"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0,"targets":[{"id":3},{"id":3}]}]})",
                    "adapters[0].targets[1].id: 3 is used by another target of this adapter"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0,"targets":[{"id":3,"letter":"EE"}]}]})",
                    R"(adapters[0].targets[0].letter: "EE" is not a drive letter ("A" to "Z"))"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0,"targets":[{"id":3,"bus":8}]}]})",
                    "adapters[0].targets[0].bus: 8 is not a bus number (0 to 7)"},
        BadScenario{R"({"os":"nt4","adapters":[{"id":0,"targets":[{"id":3,"luns":0}]}]})",
                    "adapters[0].targets[0].luns: 0 is not a number of logical units (1 to 8)"},
        BadScenario{R"({"os":"nt4","drives":{"E":"cdrom"},
                        "adapters":[{"id":0,"targets":[{"id":3,"letter":"e"}]}]})",
                    R"(adapters[0].targets[0].letter: "E" is used by another drive)"},
        BadScenario{
            R"({"os":"nt4","drives":{"C":"floppy"}})",
            R"(drives.C: "floppy" is not a drive type (unknown, removable, fixed, remote, cdrom, ramdisk))"},
        BadScenario{R"({"os":"nt4","files_held":"x.bin"})", "files_held: must be a list of paths"},
        BadScenario{
            R"({"os":"nt4","registry":{"HKLM\\Enum":{}}})",
            R"(registry["HKLM\Enum"]: "HKLM" is not a root key (HKEY_LOCAL_MACHINE, HKEY_DYN_DATA, ...))"},
        BadScenario{
            R"({"os":"nt4","registry":{"HKEY_DYN_DATA\\X":{"V":[1]}}})",
            R"(registry["HKEY_DYN_DATA\X"]["V"]: must be a string (REG_SZ) or a number (REG_DWORD))"},
        BadScenario{R"({"os":"nt4","boot_tick":4294967296})",
                    "boot_tick: 4294967296 is not a 32-bit tick count"},
        BadScenario{
            R"({"os":"nt4","aspi":{"installed":true,"version":{"translation":"0409"}}})",
            R"(aspi.version.translation: "0409" is not 8 hexadecimal digits, language then code page ("040904B0"))"},
        BadScenario{R"({"os":"nt4","aspi":{"installed":true,"version":{"vendor":"x"}}})",
                    "aspi.version.vendor: unknown key"},
        BadScenario{R"({"os":"nt4","drives":{"C":{"free_clusters":1}}})", "drives.C.type: missing"},
        BadScenario{
            R"({"os":"nt4","drives":{"C":{"type":"fixed","free_clusters":9,"total_clusters":8}}})",
            "drives.C.total_clusters: fewer than free_clusters"},
        BadScenario{R"({"os":"nt4","drives":{"C":{"type":"fixed","free_bytes":1}}})",
                    "drives.C.free_bytes: unknown key"},
        BadScenario{R"({"os":"nt4","shell":{"autorun_mask":256}})",
                    "shell.autorun_mask: 256 is not a byte (0 to 0xFF) or null"},
        BadScenario{R"({"os":"nt4","shell":{"audio_cd_verb":1}})",
                    "shell.audio_cd_verb: must be a string"},
        BadScenario{R"({"os":"nt4","shell":{"audio_cd_keys":false,"audio_cd_verb":"play"}})",
                    "shell.audio_cd_keys: is false, so audio_cd_verb must be absent or null"},
        BadScenario{R"({"os":"nt4","shell":{"audio_cd_keys":"no"}})",
                    "shell.audio_cd_keys: must be true or false"}));

TEST(ScenarioTest, VersionTextsAreLimitedTo255Characters) {
  const auto load = [](std::size_t length) {
    return LoadScenarioText(R"({"os":"nt4","aspi":{"installed":true,"version":{"company":")" +
                            std::string(length, 'x') + R"("}}})");
  };
  EXPECT_EQ(load(255).aspi.version->company->size(), 255u);
  try {
    load(256);
    FAIL();
  } catch (const emulator::ConfigError& error) {
    EXPECT_STREQ(error.what(), "aspi.version.company: longer than 255 characters");
  }
}

TEST(ScenarioTest, DeviceKeysAreCheckedByTheEmulatorUnderTheTargetsPath) {
  try {
    LoadScenarioText(R"({"os":"nt4","adapters":[{"id":0,"targets":[{"id":3,"colour":1}]}]})");
    FAIL();
  } catch (const emulator::ConfigError& error) {
    EXPECT_NE(std::string(error.what()).find("adapters[0].targets[0].colour"), std::string::npos)
        << error.what();
  }
}

TEST(ScenarioTest, NotJsonIsAConfigError) {
  EXPECT_THROW(LoadScenarioText("{\"os\": "), emulator::ConfigError);
}

TEST(ScenarioTest, FileErrorsNameTheFile) {
  try {
    LoadScenarioFile("/nonexistent/pc.json");
    FAIL();
  } catch (const emulator::ConfigError& error) {
    EXPECT_EQ(std::string(error.what()), "/nonexistent/pc.json: cannot be read");
  }
}

TEST(ScenarioTest, ReadsEveryKey) {
  Scenario scenario = LoadScenarioText(R"({
    "os": "win2000", "boot_tick": "0xFFFFFF00",
    "aspi": {"installed": true, "support_info": "0x0102", "entries": ["SendASPI32Command"],
             "completion": "immediate"},
    "adapters": [{"id": 1, "port": 4, "driver": "vx", "manager": "M", "host_id": 6,
                  "targets": [{"id": "0x0B", "letter": "g", "bus": 1, "luns": 2,
                               "vendor": "KORVEL", "product": "CD-R   RZ6120   "}]}],
    "drives": {"c": "fixed", "A": "removable"},
    "files_held": ["/tmp/held.bin"]})");
  EXPECT_EQ(scenario.os, WindowsVersion::Win2000);
  EXPECT_EQ(scenario.bootTick, 0xFFFFFF00u);
  EXPECT_EQ(scenario.aspi.supportInfo, 0x0102u);
  EXPECT_EQ(scenario.aspi.entries, std::vector<std::string>{"SendASPI32Command"});
  EXPECT_EQ(scenario.aspi.completion, AspiCompletion::Immediate);
  ASSERT_EQ(scenario.adapters.size(), 1u);
  const AdapterSettings& adapter = scenario.adapters[0];
  EXPECT_EQ(adapter.id, 1);
  EXPECT_EQ(adapter.port, 4);
  EXPECT_EQ(adapter.driver, "vx");
  EXPECT_EQ(adapter.manager, "M");
  EXPECT_EQ(adapter.hostId, 6);
  ASSERT_EQ(adapter.targets.size(), 1u);
  const TargetSettings& target = adapter.targets[0];
  EXPECT_EQ(target.id, 11);
  EXPECT_EQ(target.letter, 'G');
  EXPECT_EQ(target.bus, 1);
  EXPECT_EQ(target.luns, 2);
  EXPECT_EQ(std::string(target.device.vendor.data(), 8), "KORVEL  ");
  EXPECT_EQ(std::string(target.device.product.data(), 16), "CD-R   RZ6120   ");
  EXPECT_FALSE(target.description.contains("bus"));
  EXPECT_EQ(scenario.drives, (std::map<char, UINT>{{'A', DRIVE_REMOVABLE}, {'C', DRIVE_FIXED}}));
  EXPECT_EQ(scenario.filesHeld, std::vector<std::filesystem::path>{"/tmp/held.bin"});
}

TEST(ScenarioTest, DefaultsWhereKeysAreLeftOut) {
  Scenario scenario = LoadScenarioText(R"({"os":"nt4","adapters":[{"id":2}]})");
  EXPECT_FALSE(scenario.aspi.installed);
  EXPECT_FALSE(scenario.aspi.supportInfo);
  EXPECT_EQ(scenario.aspi.completion, AspiCompletion::Pending);
  EXPECT_EQ(scenario.adapters[0].port, 2);
  EXPECT_EQ(scenario.adapters[0].hostId, 7);
  EXPECT_EQ(scenario.adapters[0].manager, "ASPI for WIN32");
  EXPECT_EQ(scenario.bootTick, 0u);
}

TEST(DefaultScenarioTest, TheBuiltInTextIsTheScenarioFile) {
  std::ifstream in(SourceDir() / "scenarios" / "default.json");
  ASSERT_TRUE(in) << "scenarios/default.json not found under " << SourceDir();
  std::stringstream file;
  file << in.rdbuf();
  EXPECT_EQ(nlohmann::json::parse(file.str()), nlohmann::json::parse(kDefaultScenarioJson));
}

TEST(DefaultScenarioTest, HoldsTheThreeKorvelModelsAndAnotherMakersDrive) {
  Scenario scenario = DefaultScenario();
  EXPECT_EQ(scenario.os, WindowsVersion::Win98);
  EXPECT_TRUE(scenario.aspi.installed);
  struct Expected {
    int adapter, target;
    char letter;
    const char* vendor;
    const char* product;
    const char* revision;
  };
  const Expected expected[] = {{0, 2, 'E', "KORVEL  ", "CD-R   RZ5140   ", "1.00"},
                               {0, 4, 'F', nullptr, nullptr, nullptr},
                               {1, 1, 'G', "KORVEL  ", "CD-R   RZ6120   ", "2.00"},
                               {1, 5, 'H', "KORVEL  ", "CD-ROM          ", "3.00"}};
  ASSERT_EQ(scenario.adapters.size(), 2u);
  std::size_t index[2] = {0, 0};
  for (const Expected& e : expected) {
    const TargetSettings& target = scenario.adapters[e.adapter].targets.at(index[e.adapter]++);
    EXPECT_EQ(target.id, e.target);
    EXPECT_EQ(target.letter, e.letter);
    if (e.vendor == nullptr) {
      EXPECT_NE(std::string(target.device.vendor.data(), 8), "KORVEL  ");
      continue;
    }
    EXPECT_EQ(std::string(target.device.vendor.data(), 8), e.vendor);
    EXPECT_EQ(std::string(target.device.product.data(), 16), e.product);
    EXPECT_EQ(std::string(target.device.revision.data(), 4), e.revision);
  }
}

TEST(ScenarioFilesTest, EveryShippedScenarioLoads) {
  const auto dir = SourceDir() / "scenarios";
  int loaded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".json") continue;
    EXPECT_NO_THROW(LoadScenarioFile(entry.path())) << entry.path();
    ++loaded;
  }
  EXPECT_GE(loaded, 5);
}

}  // namespace
}  // namespace korvel::platform::sim
