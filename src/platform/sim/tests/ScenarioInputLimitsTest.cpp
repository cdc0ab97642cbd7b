// A scenario is a file the user names: its size, its nesting and its numbers are outside data,
// and every fault in them must name the file and the key instead of crashing or hanging.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "emulator/ConfigError.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {
namespace {

std::string ErrorOf(const std::function<void()>& load) {
  try {
    load();
  } catch (const emulator::ConfigError& error) {
    return error.what();
  }
  return "(accepted)";
}

struct BadNumber {
  const char* json;
  const char* message;
};

void PrintTo(const BadNumber& c, std::ostream* os) {
  *os << c.json;
}

class ScenarioNumberTest : public ::testing::TestWithParam<BadNumber> {};

TEST_P(ScenarioNumberTest, NamesTheKeyOfANumberOutOfRange) {
  EXPECT_EQ(ErrorOf([] { LoadScenarioText(GetParam().json); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScenarioNumberTest,
    ::testing::Values(
        BadNumber{R"({"os":"nt4","boot_tick":1e400})",
                  "boot_tick: out of range: number overflow parsing '1e400'"},
        BadNumber{R"({"os":"nt4","adapters":[{"id":0},{"id":1,"targets":[{"id":-1e999}]}]})",
                  "adapters[1].targets[0].id: out of range: number overflow parsing '-1e999'"},
        BadNumber{R"({"os":"nt4","registry":{"HKEY_DYN_DATA\\X":{"V":2e308}}})",
                  "registry.HKEY_DYN_DATA\\X.V: out of range: number overflow parsing '2e308'"},
        // Integers beyond 64 bits are read as floating point by the JSON reader.
        BadNumber{R"({"os":"nt4","boot_tick":18446744073709551616})",
                  "boot_tick: 1.8446744073709552e+19 is not a 32-bit tick count"},
        BadNumber{R"({"os":"nt4","adapters":[{"id":2.5}]})",
                  "adapters[0].id: 2.5 is not a host adapter number (0 to 255)"},
        BadNumber{R"({"os":"nt4","adapters":[{"id":0,"targets":[{"id":1,"delay_ms":1e30}]}]})",
                  "adapters[0].targets[0].delay_ms: 1e+30 is not a whole number from 0 to "
                  "86400000"}));

TEST(ScenarioSyntaxTest, ASyntaxErrorNamesTheKeyItIsUnder) {
  const std::string message =
      ErrorOf([] { LoadScenarioText(R"({"os":"nt4","adapters":[{"id":0},{"port":}]})"); });
  EXPECT_EQ(message.rfind("adapters[1].port: not valid JSON: ", 0), 0u) << message;
}

TEST(ScenarioNestingTest, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  constexpr int kLevels = 100000;
  const std::string deep =
      std::string(R"({"os":"nt4","adapters":[{"id":0,"targets":[{"id":1,"x":)") +
      std::string(kLevels, '[') + std::string(kLevels, ']') + "}]}]}";
  EXPECT_EQ(
      ErrorOf([&] { LoadScenarioText(deep); }), "adapters[0].targets[0].x" + [] {
        std::string indexes;
        for (int i = 0; i < 27; ++i) indexes += "[0]";
        return indexes;
      }() + ": nested deeper than 32 levels");
  const std::string bare = std::string(kLevels, '[') + std::string(kLevels, ']');
  EXPECT_NE(ErrorOf([&] { LoadScenarioText(bare); }).find(": nested deeper than 32 levels"),
            std::string::npos);
}

TEST(ScenarioNestingTest, ThirtyTwoLevelsAreStillRead) {
  // Nesting within the bound reaches the scenario reader, which names the key it refuses.
  const std::string nested = std::string(R"({"os":"nt4","boot_tick":)") + std::string(31, '[') +
                             std::string(31, ']') + "}";
  EXPECT_EQ(ErrorOf([&] { LoadScenarioText(nested); }), "boot_tick: must be a number");
}

class ScenarioFileLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("korvel-scenario-limits-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(ScenarioFileLimitsTest, AFifoIsRefusedAtOnce) {
  const std::filesystem::path fifo = dir_ / "pc.json";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ErrorOf([&] { LoadScenarioFile(fifo); }),
            fifo.string() + ": not a regular file (a folder, FIFO or device is no scenario)");
}

TEST_F(ScenarioFileLimitsTest, ADeviceWithoutEndIsRefused) {
  EXPECT_EQ(ErrorOf([] { LoadScenarioFile("/dev/zero"); }),
            "/dev/zero: not a regular file (a folder, FIFO or device is no scenario)");
}

TEST_F(ScenarioFileLimitsTest, AFolderIsRefused) {
  EXPECT_EQ(ErrorOf([&] { LoadScenarioFile(dir_); }),
            dir_.string() + ": not a regular file (a folder, FIFO or device is no scenario)");
}

TEST_F(ScenarioFileLimitsTest, AFileLargerThanTheLimitIsRefusedUnread) {
  const std::filesystem::path big = dir_ / "big.json";
  std::ofstream(big) << R"({"os":"nt4"})";
  std::filesystem::resize_file(big, 4 * 1024 * 1024 + 1);  // sparse: costs no disk
  EXPECT_EQ(ErrorOf([&] { LoadScenarioFile(big); }),
            big.string() + ": larger than 4 MiB, the most a scenario may hold");
}

TEST_F(ScenarioFileLimitsTest, AFileAtTheLimitIsRead) {
  const std::filesystem::path padded = dir_ / "padded.json";
  std::string text = R"({"os":"nt4"})";
  text.resize(4 * 1024 * 1024, ' ');
  std::ofstream(padded) << text;
  EXPECT_NO_THROW(LoadScenarioFile(padded));
}

TEST_F(ScenarioFileLimitsTest, AFaultInAFileNamesTheFileAndTheKey) {
  const std::filesystem::path file = dir_ / "pc.json";
  std::ofstream(file) << R"({"os":"nt4","adapters":[{"id":0,"host_id":1e400}]})";
  EXPECT_EQ(ErrorOf([&] { LoadScenarioFile(file); }),
            file.string() + ": adapters[0].host_id: out of range: number overflow parsing '1e400'");
}

}  // namespace
}  // namespace korvel::platform::sim
