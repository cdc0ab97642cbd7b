#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/linux/AbsentWindowsServices.h"
#include "utilities/DiscInsertSettings.h"
#include "utilities/tests/HostPc.h"

namespace korvel::utilities {
namespace {

using platform::sim::RegistryTree;
using platform::sim::RegistryValue;
using platform::sim::SimulatedRegistry;
using testing::HostPc;
using testing::RecordingRegistry;

const RegistryValue* ValueIn(SimulatedRegistry& registry, platform::HKEY root, const char* path,
                             const char* name) {
  platform::sim::RegistryKey* key = RegistryTree::Find(*registry.tree().Root(root), path);
  return key == nullptr ? nullptr : key->Value(name);
}

constexpr char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

TEST(DiscInsertSettingsTest, SetAutoRunMaskWrites4BinaryBytesThroughCreatedKeys) {
  SimulatedRegistry inner;  // no keys at all: every level is made
  RecordingRegistry registry(inner);
  SetAutoRunMask(registry, 0x95);
  EXPECT_EQ(
      registry.calls,
      (std::vector<std::string>{
          "create Software 0xf003f", "create Microsoft 0xf003f", "create Windows 0xf003f",
          "create CurrentVersion 0xf003f", "create Policies 0xf003f", "create Explorer 0xf003f",
          "set NoDriveTypeAutoRun 3 95000000", "close Explorer", "close Policies",
          "close CurrentVersion", "close Windows", "close Microsoft", "close Software"}));
  const RegistryValue* value =
      ValueIn(inner, platform::HKEY_CURRENT_USER, kPolicies, "NoDriveTypeAutoRun");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, platform::REG_BINARY);
  EXPECT_EQ(value->data, (std::vector<platform::BYTE>{0x95, 0x00, 0x00, 0x00}));

  registry.calls.clear();
  EXPECT_EQ(GetAutoRunMask(registry), 0x95);
  EXPECT_EQ(registry.calls, (std::vector<std::string>{
                                "open Software 0x1", "open Microsoft 0x1", "open Windows 0x1",
                                "open CurrentVersion 0x1", "open Policies 0x1", "open Explorer 0x1",
                                "size NoDriveTypeAutoRun", "read NoDriveTypeAutoRun",
                                "close Explorer", "close Policies", "close CurrentVersion",
                                "close Windows", "close Microsoft", "close Software"}));
  EXPECT_EQ(inner.openKeys(), 0);
}

TEST(DiscInsertSettingsTest, GetAutoRunMaskTakesTheFirstByteOr0) {
  const struct {
    const char* json;
    std::uint8_t mask;
  } cases[] = {
      {R"({"os":"win98"})", 0x95},                                // REG_BINARY 95 00 00 00
      {R"({"os":"nt4","shell":{"autorun_mask":"0x91"}})", 0x91},  // REG_DWORD
      {R"({"os":"win98","shell":{"autorun_mask":null}})", 0},
      {R"({"os":"win98","registry":{"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer":
          {"NoDriveTypeAutoRun":"x"}}})",
       'x'},
      {R"({"os":"win98","registry":{"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer":
          {"NoDriveTypeAutoRun":""}}})",
       0},  // one byte, its NUL
  };
  for (const auto& c : cases) {
    HostPc host(c.json);
    EXPECT_EQ(GetAutoRunMask(host.pc.platform().registry), c.mask) << c.json;
    EXPECT_EQ(host.pc.registry().openKeys(), 0);
  }
}

TEST(DiscInsertSettingsTest, AnEmptyValueAndAFailedReadGive0) {
  HostPc host(R"({"os":"win98"})");
  host.pc.registry()
      .tree()
      .Create(std::string("HKEY_CURRENT_USER\\") + kPolicies)
      ->SetValue("NoDriveTypeAutoRun", platform::REG_BINARY, {});
  EXPECT_EQ(GetAutoRunMask(host.pc.platform().registry), 0);

  HostPc failing(R"({"os":"win98"})");
  RecordingRegistry registry(failing.pc.platform().registry);
  registry.failReads = true;
  EXPECT_EQ(GetAutoRunMask(registry), 0);
  EXPECT_EQ(failing.pc.registry().openKeys(), 0);
}

TEST(DiscInsertSettingsTest, AudioCdVerbWrittenWithoutItsNulAndReadBack) {
  HostPc host(R"({"os":"win2000"})");
  RecordingRegistry registry(host.pc.platform().registry);
  SetAudioCdShellDefault(registry, "Play");
  EXPECT_EQ(registry.calls,
            (std::vector<std::string>{"create AudioCD 0xf003f", "create shell 0xf003f",
                                      "set (default) 1 506c6179", "close shell", "close AudioCD"}));
  registry.calls.clear();
  std::array<char, 16> text{};
  EXPECT_STREQ(GetAudioCdShellDefault(registry, text), "Play");
  EXPECT_EQ(registry.calls, (std::vector<std::string>{
                                "create AudioCD 0xf003f", "create shell 0xf003f", "size (default)",
                                "read (default)", "close shell", "close AudioCD"}));
  EXPECT_EQ(host.pc.registry().openKeys(), 0);
}

TEST(DiscInsertSettingsTest, AnEmptyVerbIsAZeroLengthString) {
  HostPc host(R"({"os":"win98"})");
  SetAudioCdShellDefault(host.pc.platform().registry, "");
  const RegistryValue* value =
      ValueIn(host.pc.registry(), platform::HKEY_CLASSES_ROOT, "AudioCD\\shell", "");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->type, platform::REG_SZ);
  EXPECT_TRUE(value->data.empty());
  std::array<char, 8> text{'k', 'e', 'e', 'p', 0};
  EXPECT_STREQ(GetAudioCdShellDefault(host.pc.platform().registry, text), "");
}

TEST(DiscInsertSettingsTest, GetAudioCdShellDefaultKeepsOrEmptiesItsTextAsTheReadGoes) {
  // No default value: the size is unknown and the text stays.
  HostPc none(R"({"os":"win98","shell":{"audio_cd_verb":null}})");
  std::array<char, 8> text{'k', 'e', 'e', 'p', 0};
  EXPECT_STREQ(GetAudioCdShellDefault(none.pc.platform().registry, text), "keep");
  // The size is known but the data cannot be read: the text is emptied.
  HostPc failing(R"({"os":"win98"})");
  RecordingRegistry registry(failing.pc.platform().registry);
  registry.failReads = true;
  EXPECT_STREQ(GetAudioCdShellDefault(registry, text), "");
  EXPECT_EQ(failing.pc.registry().openKeys(), 0);
  // Linux: no registry at all; the text stays.
  platform::linux_host::EmptyRegistry empty;
  std::array<char, 8> kept{'k', 'e', 'e', 'p', 0};
  EXPECT_STREQ(GetAudioCdShellDefault(empty, kept), "keep");
  EXPECT_EQ(GetAutoRunMask(empty), 0);
  SetAutoRunMask(empty, 0x95);  // nothing to write to, and no fault
}

TEST(DiscInsertSettingsTest, ALongVerbIsCutToTheText) {
  HostPc host(R"({"os":"win98","shell":{"audio_cd_verb":"a verb much longer than the text"}})");
  std::array<char, 12> text;
  text.fill('#');
  GetAudioCdShellDefault(host.pc.platform().registry, std::span<char>(text.data(), 8));
  EXPECT_EQ(std::string(text.data(), 12), std::string("a verb \0####", 12));
}

}  // namespace
}  // namespace korvel::utilities
