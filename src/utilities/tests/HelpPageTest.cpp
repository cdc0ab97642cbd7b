#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "utilities/HelpPage.h"
#include "utilities/tests/HostPc.h"

namespace korvel::utilities {
namespace {

using testing::HostPc;
using testing::RecordingRegistry;

constexpr platform::HWND kOwner = 0x00010A2C;

std::string WithVarnock(platform::HINSTANCE shellResult) {
  return R"({"os":"win98","shell":{"varnock_path":"C:\\Program Files\\Varnock","execute_result":)" +
         std::to_string(shellResult) + "}}";
}

TEST(HelpPageTest, HelpBasePathReadsPathOfTheAppPathsEntry) {
  HostPc host(WithVarnock(42));
  RecordingRegistry registry(host.pc.platform().registry);
  std::array<char, kMaxPath> text{};
  HelpBasePath(registry, text);
  EXPECT_STREQ(text.data(), "C:\\Program Files\\Varnock");
  EXPECT_EQ(registry.calls,
            (std::vector<std::string>{
                "open SOFTWARE 0x1", "open Microsoft 0x1", "open Windows 0x1",
                "open CurrentVersion 0x1", "open App Paths 0x1", "open Varnock.exe 0x1",
                "size Path", "read Path", "close Varnock.exe", "close App Paths",
                "close CurrentVersion", "close Windows", "close Microsoft", "close SOFTWARE"}));
  EXPECT_EQ(host.pc.registry().openKeys(), 0);
}

TEST(HelpPageTest, HelpBasePathLeavesTheTextWithoutAnEntryOrWhenThePathDoesNotFit) {
  HostPc none(R"({"os":"win98"})");
  RecordingRegistry registry(none.pc.platform().registry);
  std::array<char, 32> text{'k', 'e', 'e', 'p', 0};
  HelpBasePath(registry, text);
  EXPECT_STREQ(text.data(), "keep");
  // The walk stops at the first key that is missing; nothing is left open.
  EXPECT_EQ(registry.calls.back(), "close SOFTWARE");
  EXPECT_EQ(none.pc.registry().openKeys(), 0);

  HostPc host(WithVarnock(42));
  std::array<char, 24> small{'k', 'e', 'e', 'p', 0};  // the path needs 25 bytes
  HelpBasePath(host.pc.platform().registry, small);
  EXPECT_STREQ(small.data(), "keep");
}

TEST(HelpPageTest, ShellResultsAndTheirMessageBoxes) {
  const struct {
    platform::HINSTANCE result;
    const char* box;  // null: no box
  } cases[] = {{0, "Out of memory"},  {2, "File not found"},
               {3, "Path not found"}, {11, "Not a windows executable"},
               {42, nullptr},         {33, nullptr},
               {31, nullptr},         {5, nullptr},
               {32, nullptr}};
  for (const auto& c : cases) {
    HostPc host(WithVarnock(c.result));
    OpenHelpPage(host.pc.platform(), kOwner);
    const auto calls = host.pc.shell().executeCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].owner, kOwner);
    EXPECT_EQ(calls[0].verb, "open");
    EXPECT_EQ(calls[0].file, "C:\\Program Files\\Varnock\\Help\\varnocks.html");
    EXPECT_FALSE(calls[0].hasParameters);
    EXPECT_FALSE(calls[0].hasDirectory);
    EXPECT_EQ(calls[0].showCommand, 1);  // SW_SHOWNORMAL
    const auto boxes = host.pc.shell().messageBoxes();
    if (c.box == nullptr) {
      EXPECT_TRUE(boxes.empty()) << c.result;
      continue;
    }
    ASSERT_EQ(boxes.size(), 1u) << c.result;
    EXPECT_EQ(boxes[0].owner, kOwner);
    EXPECT_EQ(boxes[0].text, c.box);
    EXPECT_EQ(boxes[0].caption, "Varnocks");
    EXPECT_EQ(boxes[0].type, 0x10u);  // MB_OK | MB_ICONERROR
    EXPECT_EQ(host.pc.registry().openKeys(), 0);
  }
}

TEST(HelpPageTest, WithoutTheToolNothingIsOpenedAndFileNotFoundIsShown) {
  HostPc host(R"({"os":"nt4"})");
  OpenHelpPage(host.pc.platform(), kOwner);
  EXPECT_TRUE(host.pc.shell().executeCalls().empty());
  const auto boxes = host.pc.shell().messageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "File not found");
  EXPECT_EQ(boxes[0].caption, "Varnocks");
}

}  // namespace
}  // namespace korvel::utilities
