// The simulated PC's shell, free space and the registry services the host routines write with:
// what each answers and records, and the shell settings the registry boots with.
#include <gtest/gtest.h>

#include <vector>

#include "ScriptedDevice.h"
#include "emulator/VirtualClock.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::platform::sim {
namespace {

using testing::ScenarioOf;

struct Pc {
  explicit Pc(const std::string& json) : pc(ScenarioOf(json), clock) {}
  emulator::VirtualClock clock;
  SimulatedPc pc;
};

TEST(HostServicesTest, ShellCallsAreRecordedInOrderAndAnswerWhatTheScenarioSays) {
  Pc f(R"({"os":"win98","shell":{"execute_result":3,"message_box_result":2}})");
  Shell& shell = f.pc.platform().shell;
  EXPECT_EQ(shell.ShellExecuteA(0x1234, "open", "C:\\x.html", nullptr, "C:\\", SW_SHOWNORMAL), 3u);
  EXPECT_EQ(shell.MessageBoxA(0x1234, "text", "caption", MB_OK | MB_ICONERROR), 2);
  const std::vector<ShellExecuteCall> calls = f.pc.shell().executeCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].owner, 0x1234u);
  EXPECT_EQ(calls[0].verb, "open");
  EXPECT_EQ(calls[0].file, "C:\\x.html");
  EXPECT_FALSE(calls[0].hasParameters);
  EXPECT_TRUE(calls[0].hasDirectory);
  EXPECT_EQ(calls[0].directory, "C:\\");
  EXPECT_EQ(calls[0].showCommand, SW_SHOWNORMAL);
  const std::vector<MessageBoxCall> boxes = f.pc.shell().messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "text");
  EXPECT_EQ(boxes[0].caption, "caption");
  EXPECT_EQ(boxes[0].type, 0x10u);
}

TEST(HostServicesTest, FreeSpaceByRootPath) {
  Pc f(R"({"os":"win98","drives":{"A":"removable",
      "C":{"type":"fixed","sectors_per_cluster":64,"bytes_per_sector":512,
           "free_clusters":"0xFFFFFFFF","total_clusters":"0xFFFFFFFF"},
      "D":{"type":"fixed","free_clusters":100}},
      "adapters":[{"id":0,"targets":[{"id":2,"letter":"E","vendor":"KORVEL","product":"CD-ROM"}]}]})");
  Volumes& volumes = f.pc.platform().volumes;
  struct Case {
    const char* root;
    BOOL result;
    DWORD error;
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
  } cases[] = {
      {"C:\\", 1, 0, 64, 512, 0xFFFFFFFFu, 0xFFFFFFFFu},
      {"c:\\", 1, 0, 64, 512, 0xFFFFFFFFu, 0xFFFFFFFFu},
      {"D:\\", 1, 0, 8, 512, 100, 100},  // the default geometry; total = free
      {"A:\\", 0, ERROR_NOT_READY, 0, 0, 0, 0},
      {"E:\\", 0, ERROR_NOT_READY, 0, 0, 0, 0},  // a CD-ROM drive of a target
      {"F:\\", 0, ERROR_PATH_NOT_FOUND, 0, 0, 0, 0},
      {"C:", 0, ERROR_PATH_NOT_FOUND, 0, 0, 0, 0},
      {"C:\\x", 0, ERROR_PATH_NOT_FOUND, 0, 0, 0, 0},
      {nullptr, 0, ERROR_PATH_NOT_FOUND, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    DWORD spc = 0, bps = 0, free = 0, total = 0;
    EXPECT_EQ(volumes.GetDiskFreeSpaceA(c.root, &spc, &bps, &free, &total), c.result)
        << (c.root ? c.root : "null");
    if (c.result == 0) {
      EXPECT_EQ(f.pc.kernel().GetLastError(), c.error);
    }
    EXPECT_EQ(spc, c.sectorsPerCluster);
    EXPECT_EQ(bps, c.bytesPerSector);
    EXPECT_EQ(free, c.freeClusters);
    EXPECT_EQ(total, c.totalClusters);
  }
}

std::vector<BYTE> ValueOf(Registry& registry, HKEY root, const char* path, const char* name,
                          DWORD* type) {
  HKEY key = 0;
  if (registry.RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  BYTE data[64] = {};
  DWORD size = sizeof data;
  std::vector<BYTE> bytes;
  if (registry.RegQueryValueExA(key, name, type, data, &size) == ERROR_SUCCESS) {
    bytes.assign(data, data + size);
  }
  registry.RegCloseKey(key);
  return bytes;
}

constexpr char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

TEST(HostServicesTest, TheRegistryHoldsTheShellSettingsInEachSystemsType) {
  struct Case {
    const char* os;
    DWORD type;
  } cases[] = {
      {"win95", REG_BINARY}, {"win98", REG_BINARY}, {"nt4", REG_DWORD}, {"win2000", REG_DWORD}};
  for (const Case& c : cases) {
    Pc f(std::string(R"({"os":")") + c.os + R"("})");
    Registry& registry = f.pc.platform().registry;
    DWORD type = 0;
    EXPECT_EQ(ValueOf(registry, HKEY_CURRENT_USER, kPolicies, "NoDriveTypeAutoRun", &type),
              (std::vector<BYTE>{0x95, 0, 0, 0}))
        << c.os;
    EXPECT_EQ(type, c.type) << c.os;
    EXPECT_EQ(ValueOf(registry, HKEY_CLASSES_ROOT, "AudioCD\\shell", "", &type),
              (std::vector<BYTE>{'p', 'l', 'a', 'y', 0}));
    EXPECT_EQ(ValueOf(registry, HKEY_LOCAL_MACHINE,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Varnock.exe",
                      "Path", &type),
              std::vector<BYTE>{});
  }
}

TEST(HostServicesTest, ShellSettingsOfTheScenarioAndAHandWrittenValueOverThem) {
  Pc f(R"({"os":"win98","shell":{"autorun_mask":null,"audio_cd_verb":"Play",
      "varnock_path":"D:\\Varnock"},
      "registry":{"HKEY_CLASSES_ROOT\\AudioCD\\shell":{"":"open"}}})");
  Registry& registry = f.pc.platform().registry;
  DWORD type = 0;
  EXPECT_EQ(ValueOf(registry, HKEY_CURRENT_USER, kPolicies, "NoDriveTypeAutoRun", &type),
            std::vector<BYTE>{});
  EXPECT_EQ(ValueOf(registry, HKEY_CLASSES_ROOT, "AudioCD\\shell", "", &type),
            (std::vector<BYTE>{'o', 'p', 'e', 'n', 0}));
  const char* entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Varnock.exe";
  const std::string path = "D:\\Varnock";
  EXPECT_EQ(ValueOf(registry, HKEY_LOCAL_MACHINE, entry, "Path", &type),
            std::vector<BYTE>(path.c_str(), path.c_str() + path.size() + 1));
}

TEST(HostServicesTest, CreateKeyMakesMissingKeysAndSaysWhetherItDid) {
  SimulatedRegistry registry;
  HKEY key = 0;
  DWORD disposition = 0;
  ASSERT_EQ(registry.RegCreateKeyExA(HKEY_CLASSES_ROOT, "AudioCD\\shell", 0, KEY_ALL_ACCESS, &key,
                                     &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const BYTE verb[] = {'p', 'l', 'a', 'y'};
  EXPECT_EQ(registry.RegSetValueExA(key, nullptr, REG_SZ, verb, 4), ERROR_SUCCESS);
  EXPECT_EQ(registry.RegCloseKey(key), ERROR_SUCCESS);

  ASSERT_EQ(registry.RegCreateKeyExA(HKEY_CLASSES_ROOT, "audiocd\\SHELL", 0, KEY_QUERY_VALUE, &key,
                                     &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  // Opened for reading only: values cannot be set, and no key can be made below it.
  EXPECT_EQ(registry.RegSetValueExA(key, nullptr, REG_SZ, verb, 4), ERROR_ACCESS_DENIED);
  HKEY below = 0;
  EXPECT_EQ(registry.RegCreateKeyExA(key, "open", 0, KEY_ALL_ACCESS, &below, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.RegCreateKeyExA(0x1234, "x", 0, KEY_ALL_ACCESS, &below, nullptr),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(registry.RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(registry.openKeys(), 0);
  EXPECT_EQ(registry.keysOpened(), 2);
  EXPECT_NE(RegistryTree::Find(*registry.tree().Root(HKEY_CLASSES_ROOT), "AudioCD\\shell"),
            nullptr);
}

}  // namespace
}  // namespace korvel::platform::sim
