#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "ScriptedDevice.h"
#include "emulator/RealClock.h"
#include "emulator/VirtualClock.h"

namespace korvel::platform::sim {
namespace {

using testing::DeviceShelf;
using testing::ScenarioOf;

struct KernelFixture {
  explicit KernelFixture(const std::string& json, std::uint64_t clockStart = 0)
      : clock(clockStart), pc(ScenarioOf(json), clock, shelf.Maker()) {}
  DeviceShelf shelf;
  emulator::VirtualClock clock;
  SimulatedPc pc;
};

struct VersionCase {
  const char* os;
  DWORD major, minor, build, platform;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
  *os << c.os;
}

class VersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTest, AnswersAsTheOperatingSystemDoes) {
  const VersionCase& c = GetParam();
  KernelFixture f(std::string(R"({"os":")") + c.os + "\"}");
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(f.pc.kernel().GetVersionExA(info), TRUE);
  EXPECT_EQ(info.dwMajorVersion, c.major);
  EXPECT_EQ(info.dwMinorVersion, c.minor);
  EXPECT_EQ(info.dwBuildNumber, c.build);
  EXPECT_EQ(info.dwPlatformId, c.platform);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VersionTest,
    ::testing::Values(VersionCase{"win95", 4, 0, 0x040003B6, VER_PLATFORM_WIN32_WINDOWS},
                      VersionCase{"win98", 4, 10, 0x040A07CE, VER_PLATFORM_WIN32_WINDOWS},
                      VersionCase{"nt4", 4, 0, 1381, VER_PLATFORM_WIN32_NT},
                      VersionCase{"win2000", 5, 0, 2195, VER_PLATFORM_WIN32_NT}));

TEST(KernelTest, VersionQueryWantsTheRecordSize) {
  KernelFixture f(R"({"os":"nt4"})");
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = 156;
  EXPECT_EQ(f.pc.kernel().GetVersionExA(info), FALSE);
}

struct LoadCase {
  const char* scenario;
  const char* name;
  bool loads;
};

void PrintTo(const LoadCase& c, std::ostream* os) {
  *os << c.name << (c.loads ? "_loads" : "_fails");
}

class LoadLibraryTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadLibraryTest, LoadsTheAspiLibraryOnlyWhenInstalled) {
  KernelFixture f(GetParam().scenario);
  HMODULE module = f.pc.kernel().LoadLibraryA(GetParam().name);
  EXPECT_EQ(module != 0, GetParam().loads);
  if (!GetParam().loads) {
    EXPECT_EQ(f.pc.kernel().GetLastError(), ERROR_MOD_NOT_FOUND);
  }
}

constexpr const char* kInstalled = R"({"os":"win98","aspi":{"installed":true}})";
constexpr const char* kMissing = R"({"os":"win98","aspi":{"installed":false}})";

INSTANTIATE_TEST_SUITE_P(Table, LoadLibraryTest,
                         ::testing::Values(LoadCase{kInstalled, "WNASPI32.DLL", true},
                                           LoadCase{kInstalled, "wnaspi32.dll", true},
                                           LoadCase{kInstalled, "WnAspi32", true},
                                           LoadCase{kInstalled, "C:\\WINDOWS\\SYSTEM\\WNASPI32.DLL",
                                                    true},
                                           LoadCase{kInstalled, "WNASPI.DLL", false},
                                           LoadCase{kMissing, "WNASPI32.DLL", false},
                                           LoadCase{R"({"os":"nt4"})", "WNASPI32.dll", false}));

TEST(KernelTest, AnIncompleteLibraryLacksTheEntriesItDoesNotList) {
  KernelFixture f(R"({"os":"win98","aspi":{"installed":true,"entries":["GetASPI32SupportInfo"]}})");
  HMODULE module = f.pc.kernel().LoadLibraryA("WNASPI32.DLL");
  EXPECT_TRUE(f.pc.kernel().GetProcAddress(module, "GetASPI32SupportInfo"));
  EXPECT_FALSE(f.pc.kernel().GetProcAddress(module, "SendASPI32Command"));
  EXPECT_EQ(f.pc.kernel().GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_FALSE(f.pc.kernel().GetProcAddress(module, "sendaspi32command"));
}

TEST(KernelTest, LoadsAndFreesAreCountedAndAFreedLibraryHasNoEntries) {
  KernelFixture f(kInstalled);
  SimulatedKernel& kernel = f.pc.kernel();
  HMODULE first = kernel.LoadLibraryA("WNASPI32.DLL");
  HMODULE second = kernel.LoadLibraryA("WNASPI32.DLL");
  EXPECT_EQ(first, second);
  EXPECT_EQ(kernel.FreeLibrary(first), TRUE);
  EXPECT_TRUE(kernel.GetProcAddress(first, "SendASPI32Command"));
  EXPECT_EQ(kernel.FreeLibrary(first), TRUE);
  EXPECT_FALSE(kernel.GetProcAddress(first, "SendASPI32Command"));
  EXPECT_EQ(kernel.FreeLibrary(first), FALSE);
  EXPECT_EQ(kernel.libraryLoads(), 2);
  EXPECT_EQ(kernel.libraryFrees(), 2);
  EXPECT_FALSE(kernel.libraryLoaded());
}

TEST(KernelTest, ManualAndAutomaticEvents) {
  KernelFixture f(R"({"os":"nt4"})");
  SimulatedKernel& kernel = f.pc.kernel();
  HANDLE manual = kernel.CreateEventA(true, false);
  HANDLE automatic = kernel.CreateEventA(false, true);
  ASSERT_NE(manual, 0u);
  EXPECT_NE(manual, automatic);
  EXPECT_EQ(kernel.WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_EQ(kernel.SetEvent(manual), TRUE);
  EXPECT_EQ(kernel.WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(kernel.WaitForSingleObject(manual, 0), WAIT_OBJECT_0);  // stays signalled
  EXPECT_EQ(kernel.ResetEvent(manual), TRUE);
  EXPECT_EQ(kernel.WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_EQ(kernel.WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(kernel.WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);  // the wait took it
  EXPECT_EQ(kernel.eventsCreated(), 2);
  EXPECT_EQ(kernel.CloseHandle(manual), TRUE);
  EXPECT_EQ(kernel.CloseHandle(manual), FALSE);
  EXPECT_EQ(kernel.GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(kernel.WaitForSingleObject(manual, INFINITE), WAIT_FAILED);
  EXPECT_EQ(kernel.eventsClosed(), 1);
}

TEST(KernelTest, AnotherThreadWakesAnInfiniteWait) {
  KernelFixture f(R"({"os":"nt4"})");
  HANDLE event = f.pc.kernel().CreateEventA(true, false);
  std::thread setter([&] { f.pc.kernel().SetEvent(event); });
  EXPECT_EQ(f.pc.kernel().WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  setter.join();
}

TEST(KernelTest, TickCountStartsAtTheBootTickAndWraps) {
  KernelFixture f(R"({"os":"win98","boot_tick":"0xFFFFFFFE"})", 5000);
  SimulatedKernel& kernel = f.pc.kernel();
  EXPECT_EQ(kernel.GetTickCount(), 0xFFFFFFFEu);
  EXPECT_EQ(kernel.GetTickCount(), 0xFFFFFFFFu);
  EXPECT_EQ(kernel.GetTickCount(), 0x00000000u);
  f.clock.Advance(100);
  EXPECT_EQ(kernel.GetTickCount(), 101u);
}

TEST(KernelTest, ABusyWaitOnTheTickEndsWithVirtualTime) {
  KernelFixture f(R"({"os":"win98"})");
  SimulatedKernel& kernel = f.pc.kernel();
  const DWORD start = kernel.GetTickCount();
  int calls = 0;
  while (kernel.GetTickCount() - start < 2000) ++calls;
  EXPECT_EQ(calls, 1999);
  EXPECT_EQ(f.clock.NowMs(), 2001u);
}

TEST(KernelTest, MillisecondsSinceStartMovesNoClock) {
  KernelFixture f(R"({"os":"win98"})", 300);
  f.clock.Advance(42);
  EXPECT_EQ(f.pc.kernel().MillisecondsSinceStart(), 42u);
  EXPECT_EQ(f.pc.kernel().MillisecondsSinceStart(), 42u);
}

TEST(KernelTest, RealTimeTickCountIsNotAdvancedByReading) {
  emulator::RealClock clock;
  DeviceShelf shelf;
  SimulatedPc pc(ScenarioOf(R"({"os":"win98","boot_tick":1000})"), clock, shelf.Maker());
  const DWORD tick = pc.kernel().GetTickCount();
  EXPECT_GE(tick, 1000u);
  EXPECT_LT(tick, 1000u + 60000u);
}

TEST(KernelTest, DebuggerOutputIsKeptAndForwarded) {
  KernelFixture f(R"({"os":"win98"})");
  std::vector<std::string> forwarded;
  f.pc.kernel().OutputDebugStringA("Korveltype 16\r\n");
  f.pc.kernel().SetDebugSink([&](std::string_view text) { forwarded.emplace_back(text); });
  f.pc.kernel().OutputDebugStringA("Korveltype 18\r\n");
  EXPECT_EQ(f.pc.kernel().debugOutput(),
            (std::vector<std::string>{"Korveltype 16\r\n", "Korveltype 18\r\n"}));
  EXPECT_EQ(forwarded, std::vector<std::string>{"Korveltype 18\r\n"});
}

}  // namespace
}  // namespace korvel::platform::sim
