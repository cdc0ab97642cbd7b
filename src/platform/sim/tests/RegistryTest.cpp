#include <gtest/gtest.h>

#include <optional>

#include "ScriptedDevice.h"
#include "emulator/VirtualClock.h"
#include "platform/sim/DefaultScenario.h"

namespace korvel::platform::sim {
namespace {

using testing::DeviceShelf;
using testing::ScenarioOf;

struct RegistryFixture {
  explicit RegistryFixture(const std::string& json) : pc(ScenarioOf(json), clock, shelf.Maker()) {}
  explicit RegistryFixture(Scenario scenario) : pc(std::move(scenario), clock, shelf.Maker()) {}
  Registry& registry() { return pc.platform().registry; }

  // Opens `path` one level at a time, as the system does, reads the string value in two calls
  // and closes the keys again; nothing when a key or the value is missing.
  std::optional<std::string> ReadString(HKEY root, std::vector<std::string> path,
                                        const char* value) {
    std::vector<HKEY> opened;
    HKEY key = root;
    std::optional<std::string> text;
    bool found = true;
    for (const std::string& name : path) {
      HKEY next = 0;
      if (registry().RegOpenKeyExA(key, name.c_str(), 0, KEY_QUERY_VALUE, &next) != ERROR_SUCCESS) {
        found = false;
        break;
      }
      opened.push_back(key = next);
    }
    DWORD size = 0, type = 0;
    if (found && registry().RegQueryValueExA(key, value, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::string data(size, '?');
      EXPECT_EQ(registry().RegQueryValueExA(key, value, &type, reinterpret_cast<BYTE*>(data.data()),
                                            &size),
                ERROR_SUCCESS);
      EXPECT_EQ(type, REG_SZ);
      EXPECT_EQ(data.back(), '\0');
      text = data.substr(0, data.find('\0'));
    }
    for (auto it = opened.rbegin(); it != opened.rend(); ++it) registry().RegCloseKey(*it);
    return text;
  }

  std::vector<std::string> Subkeys(HKEY root, const char* path) {
    HKEY key = 0;
    std::vector<std::string> names;
    if (registry().RegOpenKeyExA(root, path, 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) {
      return names;
    }
    char name[200];
    for (DWORD i = 0; registry().RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
      names.emplace_back(name);
    }
    registry().RegCloseKey(key);
    return names;
  }

  DeviceShelf shelf;
  emulator::VirtualClock clock;
  SimulatedPc pc;
};

TEST(RegistryTest, Windows9xListsEveryLetteredDriveUnderConfigManager) {
  RegistryFixture f(DefaultScenario());
  std::vector<std::string> hardwareKeys;
  for (const std::string& node : f.Subkeys(HKEY_DYN_DATA, "Config Manager\\Enum")) {
    EXPECT_EQ(node.size(), 8u);
    hardwareKeys.push_back(
        f.ReadString(HKEY_DYN_DATA, {"Config Manager", "Enum", node}, "HardWareKey").value());
  }
  EXPECT_EQ(hardwareKeys, (std::vector<std::string>{
                              "HTREE\\ROOT\\0", "SCSI\\KORVEL__CD-R___RZ5140___\\HA0&TARGET2&LUN0",
                              "SCSI\\ACME____CD-ROM_CX-400___\\HA0&TARGET4&LUN0",
                              "SCSI\\KORVEL__CD-R___RZ6120___\\HA1&TARGET1&LUN0",
                              "SCSI\\KORVEL__CD-ROM__________\\HA1&TARGET5&LUN0"}));
  const std::vector<std::string> device{"Enum", "SCSI", "KORVEL__CD-R___RZ6120___",
                                        "HA1&TARGET1&LUN0"};
  EXPECT_EQ(f.ReadString(HKEY_LOCAL_MACHINE, device, "CurrentDriveLetterAssignment"), "G");
  EXPECT_EQ(f.ReadString(HKEY_LOCAL_MACHINE, device, "SCSITargetID"), "1");
  EXPECT_FALSE(f.ReadString(HKEY_LOCAL_MACHINE, {"HARDWARE", "DEVICEMAP", "Scsi"}, "x"));
  EXPECT_EQ(f.pc.registry().openKeys(), 0);
}

TEST(RegistryTest, TargetIdsAboveNineAreOneHexadecimalDigit) {
  RegistryFixture f(R"({"os":"win95","adapters":[{"id":0,"targets":[
      {"id":11,"letter":"E","vendor":"KORVEL","product":"CD-R   RZ5140   "}]}]})");
  EXPECT_EQ(f.ReadString(HKEY_LOCAL_MACHINE,
                         {"Enum", "SCSI", "KORVEL__CD-R___RZ5140___", "HA0&TARGETB&LUN0"},
                         "SCSITargetID"),
            "B");
}

TEST(RegistryTest, WindowsNtNamesTheMiniportOfEachPortAndHasNoConfigManager) {
  RegistryFixture f(R"({"os":"nt4","adapters":[
      {"id":0,"port":1,"driver":"vxscsi","targets":[{"id":3,"letter":"E"}]},
      {"id":1,"port":0,"driver":"qbscsi"}]})");
  EXPECT_EQ(
      f.ReadString(HKEY_LOCAL_MACHINE, {"HARDWARE", "DEVICEMAP", "Scsi", "Scsi Port 1"}, "Driver"),
      "vxscsi");
  EXPECT_EQ(
      f.ReadString(HKEY_LOCAL_MACHINE, {"HARDWARE", "DEVICEMAP", "Scsi", "Scsi Port 0"}, "Driver"),
      "qbscsi");
  EXPECT_FALSE(
      f.ReadString(HKEY_LOCAL_MACHINE, {"HARDWARE", "DEVICEMAP", "Scsi", "Scsi Port 2"}, "Driver"));
  HKEY key = 0;
  EXPECT_EQ(f.registry().RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager", 0, KEY_QUERY_VALUE, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(f.ReadString(HKEY_LOCAL_MACHINE,
                         {"HARDWARE", "DEVICEMAP", "Scsi", "Scsi Port 1", "Scsi Bus 0",
                          "Target Id 3", "Logical Unit Id 0"},
                         "Type"),
            "CdRomPeripheral");
}

TEST(RegistryTest, NamesCompareWithoutCaseAndPathsMayHaveSeveralLevels) {
  RegistryFixture f(R"({"os":"nt4","adapters":[{"id":0,"driver":"vx"}]})");
  HKEY key = 0;
  ASSERT_EQ(f.registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "hardware\\DeviceMap\\SCSI\\scsi port 0",
                                       0, KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(f.registry().RegQueryValueExA(key, "DRIVER", nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(f.registry().RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(f.registry().RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST(RegistryTest, ValueReadsFollowTheTwoCallProtocol) {
  RegistryFixture f(R"({"os":"nt4","adapters":[{"id":0,"driver":"vxscsi"}]})");
  HKEY key = 0;
  ASSERT_EQ(f.registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port 0",
                                       0, KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(f.registry().RegQueryValueExA(key, "Driver", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 7u);  // "vxscsi" and its NUL
  BYTE small[6] = {};
  size = sizeof small;
  EXPECT_EQ(f.registry().RegQueryValueExA(key, "Driver", &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);
  BYTE exact[7] = {};
  size = sizeof exact;
  EXPECT_EQ(f.registry().RegQueryValueExA(key, "Driver", &type, exact, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(exact), 7), std::string("vxscsi\0", 7));
  EXPECT_EQ(f.registry().RegQueryValueExA(key, "Missing", &type, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  f.registry().RegCloseKey(key);
}

TEST(RegistryTest, EnumerationEndsAndRefusesShortNameBuffers) {
  RegistryFixture f(R"({"os":"nt4","adapters":[{"id":0},{"id":1}]})");
  HKEY key = 0;
  ASSERT_EQ(f.registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\Scsi", 0,
                                       KEY_ENUMERATE_SUB_KEYS, &key),
            ERROR_SUCCESS);
  char name[12];
  EXPECT_EQ(f.registry().RegEnumKeyA(key, 1, name, sizeof name), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Scsi Port 1");
  EXPECT_EQ(f.registry().RegEnumKeyA(key, 1, name, 11), ERROR_MORE_DATA);
  EXPECT_EQ(f.registry().RegEnumKeyA(key, 2, name, sizeof name), ERROR_NO_MORE_ITEMS);
  f.registry().RegCloseKey(key);
}

TEST(RegistryTest, ExplicitContentsReplaceTheGeneratedOnes) {
  RegistryFixture f(R"({"os":"win98",
    "adapters":[{"id":0,"targets":[{"id":4,"letter":"E"}]}],
    "registry":{
      "HKEY_DYN_DATA\\Config Manager\\Enum\\C29A0010":
          {"HardWareKey":"scsi\\korvel__CD-R___RZ5140___\\X"},
      "HKEY_DYN_DATA\\Config Manager\\Enum\\C29A0020":
          {"HardWareKey":"SCSI\\KORVEL__CD-R___RZ5140___XXXX\\INST"},
      "HKEY_LOCAL_MACHINE\\Enum\\SCSI\\KORVEL__CD-R___RZ5140___XXXX\\INST":
          {"CurrentDriveLetterAssignment":"E","SCSITargetID":"b","Count":7}}})");
  EXPECT_EQ(f.Subkeys(HKEY_DYN_DATA, "Config Manager\\Enum"),
            (std::vector<std::string>{"C29A0010", "C29A0020"}));
  EXPECT_EQ(f.ReadString(HKEY_DYN_DATA, {"Config Manager", "Enum", "C29A0010"}, "HardWareKey"),
            "scsi\\korvel__CD-R___RZ5140___\\X");
  const std::vector<std::string> device{"Enum", "SCSI", "KORVEL__CD-R___RZ5140___XXXX", "INST"};
  EXPECT_EQ(f.ReadString(HKEY_LOCAL_MACHINE, device, "SCSITargetID"), "b");
  HKEY key = 0;
  ASSERT_EQ(f.registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                       "Enum\\SCSI\\KORVEL__CD-R___RZ5140___XXXX\\INST", 0,
                                       KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
  DWORD type = 0, count = 0, size = sizeof count;
  EXPECT_EQ(
      f.registry().RegQueryValueExA(key, "Count", &type, reinterpret_cast<BYTE*>(&count), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(count, 7u);
  f.registry().RegCloseKey(key);
  EXPECT_EQ(f.Subkeys(HKEY_LOCAL_MACHINE, "Enum\\SCSI"),
            std::vector<std::string>{"KORVEL__CD-R___RZ5140___XXXX"});
}

TEST(RegistryTest, WritesNeedSetAccessAndKeepTheExactBytes) {
  RegistryFixture f(R"({"os":"win98"})");
  HKEY readOnly = 0, writable = 0;
  ASSERT_EQ(
      f.registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_QUERY_VALUE, &readOnly),
      ERROR_SUCCESS);
  ASSERT_EQ(f.registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &writable),
            ERROR_SUCCESS);
  const BYTE mask[4] = {0x95, 0, 0, 0};
  EXPECT_EQ(f.registry().RegSetValueExA(readOnly, "NoDriveTypeAutoRun", REG_BINARY, mask, 4),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(f.registry().RegSetValueExA(writable, "NoDriveTypeAutoRun", REG_BINARY, mask, 4),
            ERROR_SUCCESS);
  EXPECT_EQ(f.registry().RegSetValueExA(writable, nullptr, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  BYTE back[8] = {};
  DWORD type = 0, size = sizeof back;
  EXPECT_EQ(f.registry().RegQueryValueExA(readOnly, "nodrivetypeautorun", &type, back, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(back[0], 0x95);
  size = sizeof back;
  EXPECT_EQ(f.registry().RegQueryValueExA(readOnly, "", &type, back, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(f.pc.registry().openKeys(), 2);
  f.registry().RegCloseKey(readOnly);
  f.registry().RegCloseKey(writable);
  EXPECT_EQ(f.pc.registry().openKeys(), 0);
  EXPECT_EQ(f.pc.registry().keysOpened(), 2);
}

}  // namespace
}  // namespace korvel::platform::sim
