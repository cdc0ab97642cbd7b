#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <array>
#include <cstring>
#include <string>

#include "platform/linux/LinuxKernel.h"
#include "platform/testing/NullPlatform.h"
#include "utilities/OsVersionText.h"
#include "utilities/tests/HostPc.h"

namespace korvel::utilities {
namespace {

using testing::HostPc;

TEST(OsVersionTextTest, EachWindowsOfTheSimulatedPc) {
  const struct {
    const char* os;
    const char* text;
  } cases[] = {{"win95", "Windows 95 V4.00.950 "},
               {"win98", "Windows 98 V4.10.1998 "},
               {"nt4", "Windows NT V4.00.1381 Service Pack 6"},
               {"win2000", "Windows 2000 V5.00.2195 Service Pack 4"}};
  for (const auto& c : cases) {
    HostPc host(std::string(R"({"os":")") + c.os + R"("})");
    std::array<char, 160> text{};
    OsVersionText(host.pc.platform().kernel, text);
    EXPECT_STREQ(text.data(), c.text);
  }
}

// A kernel that answers GetVersionExA with a record given by the test, after checking the size
// the caller put in it.
class ScriptedVersionKernel : public platform::testing::NullKernel {
 public:
  explicit ScriptedVersionKernel(platform::OSVERSIONINFOA answer, bool works = true)
      : answer_(answer), works_(works) {}
  platform::BOOL GetVersionExA(platform::OSVERSIONINFOA& info) override {
    sizeSeen = info.dwOSVersionInfoSize;
    if (!works_) return 0;
    info = answer_;
    return 1;
  }
  platform::DWORD sizeSeen = 0;

 private:
  platform::OSVERSIONINFOA answer_;
  bool works_;
};

platform::OSVERSIONINFOA Record(platform::DWORD platformId, platform::DWORD major,
                                platform::DWORD minor, platform::DWORD build, const char* sp) {
  platform::OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  info.dwPlatformId = platformId;
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  info.dwBuildNumber = build;
  std::strncpy(info.szCSDVersion, sp, sizeof info.szCSDVersion - 1);
  return info;
}

TEST(OsVersionTextTest, NamesByPlatformAndVersion) {
  const struct {
    platform::OSVERSIONINFOA info;
    const char* text;
  } cases[] = {
      // Only the low 16 bits of the build number: 9x keeps the version in the high word.
      {Record(1, 4, 10, 0x040A07CE, ""), "Windows 98 V4.10.1998 "},
      {Record(1, 4, 90, 0x045A0BB8, " A"), "Windows 95 V4.90.3000  A"},
      {Record(0, 1, 30, 3, "x"), "Windows V1.30.3 x"},
      {Record(2, 5, 1, 2600, "Service Pack 1"), "Windows 2000 V5.01.2600 Service Pack 1"},
      {Record(2, 3, 51, 1057, ""), "Windows NT V3.51.1057 "},
      {Record(3, 4, 0, 1, "CE"), "Unknown V4.00.1 CE"},
  };
  for (const auto& c : cases) {
    ScriptedVersionKernel kernel(c.info);
    std::array<char, 160> text{};
    OsVersionText(kernel, text);
    EXPECT_STREQ(text.data(), c.text);
    EXPECT_EQ(kernel.sizeSeen, 148u);
  }
}

TEST(OsVersionTextTest, AFailedQueryAndAServicePackWithoutItsNul) {
  ScriptedVersionKernel failing(Record(1, 4, 10, 1998, ""), false);
  std::array<char, 32> text{};
  OsVersionText(failing, text);
  EXPECT_STREQ(text.data(), "Unknown");

  platform::OSVERSIONINFOA full = Record(2, 4, 0, 1381, "");
  std::memset(full.szCSDVersion, 'S', sizeof full.szCSDVersion);
  ScriptedVersionKernel kernel(full);
  std::array<char, 200> wide{};
  OsVersionText(kernel, wide);
  EXPECT_EQ(std::string(wide.data()), "Windows NT V4.00.1381 " + std::string(128, 'S'));
}

TEST(OsVersionTextTest, ASmallTextIsCutNotOverrun) {
  HostPc host(R"({"os":"nt4"})");
  std::array<char, 12> text;
  text.fill('#');
  OsVersionText(host.pc.platform().kernel, std::span<char>(text.data(), 8));
  EXPECT_STREQ(text.data(), "Windows");
  EXPECT_EQ(std::string(text.data() + 8, 4), "####");
}

TEST(OsVersionTextTest, LinuxIsNamedByItsKernelNameAndRelease) {
  platform::linux_host::LinuxKernel kernel(false);
  struct utsname name {};
  ASSERT_EQ(::uname(&name), 0);
  std::array<char, 160> text{};
  OsVersionText(kernel, text);
  EXPECT_EQ(std::string(text.data()), std::string(name.sysname) + " " + name.release);
}

}  // namespace
}  // namespace korvel::utilities
