// The command log never lands on a file the same run reads: the upgrade file, the scenario or a
// disc image the scenario names, whatever name reaches it (the same path, a hard link, a
// symbolic link). The refusal comes before anything is written, so the file stays as it was.
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "UpgradeCommandFixture.h"
#include "cli/ExitCodes.h"

namespace korvel::cli {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CommandLogInputsTest : public testing::UpgradeCommandFixture {
 protected:
  void SetUp() override {
    upgradeFile_ = WriteFile("fw.bin", formatB);
    iso_ = WriteFile("data.iso", std::vector<std::uint8_t>(16 * 2048, 0x11));
    bin_ = WriteFile("album.bin", std::vector<std::uint8_t>(300 * 2352, 0x22));
    const std::string sheet =
        "FILE \"album.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
    cue_ = WriteFile("album.cue", {sheet.begin(), sheet.end()});
    const std::string text = R"({"os": "win98", "aspi": {"installed": true}, "adapters": [
        {"id": 0, "driver": "vxscsi", "host_id": 7, "targets": [
          {"id": 2, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ",
           "revision": "1.00", "disc": {"iso": "data.iso"}},
          {"id": 3, "letter": "F", "vendor": "KORVEL", "product": "CD-R   RZ5140   ",
           "revision": "1.00", "disc": {"cue": "album.cue"}}]}]})";
    scenario_ = WriteFile("pc.json", {text.begin(), text.end()});
  }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  std::string upgradeFile_, iso_, bin_, cue_, scenario_;
};

TEST_F(CommandLogInputsTest, ALogOnAFileTheRunReadsIsRefusedAndTheFileIsKept) {
  ASSERT_EQ(::link(upgradeFile_.c_str(), Path("fw-link.bin").c_str()), 0);
  ASSERT_EQ(::link(iso_.c_str(), Path("data-link.iso").c_str()), 0);
  ASSERT_EQ(::symlink(scenario_.c_str(), Path("pc-symlink.json").c_str()), 0);
  ASSERT_EQ(::symlink(bin_.c_str(), Path("album-symlink.bin").c_str()), 0);
  const std::string simulate = "--simulate=" + scenario_;
  const struct {
    const char* name;
    std::string log;
    std::vector<std::string> command;
    std::string kept;  // the file the log would have replaced
    std::string said;  // what it is, as the refusal names it
  } cases[] = {
      {"the upgrade file of check",
       upgradeFile_,
       {"check", upgradeFile_},
       upgradeFile_,
       "the upgrade file " + upgradeFile_},
      {"the upgrade file of upgrade",
       upgradeFile_,
       {"upgrade", upgradeFile_, "--yes"},
       upgradeFile_,
       "the upgrade file " + upgradeFile_},
      {"a hard link to the upgrade file",
       Path("fw-link.bin"),
       {"check", upgradeFile_},
       upgradeFile_,
       "the upgrade file " + upgradeFile_},
      {"the scenario", scenario_, {"check", upgradeFile_}, scenario_, "the scenario " + scenario_},
      {"a symbolic link to the scenario",
       Path("pc-symlink.json"),
       {"check", upgradeFile_},
       scenario_,
       "the scenario " + scenario_},
      {"an ISO image", iso_, {"check", upgradeFile_}, iso_, "the disc image " + iso_},
      {"a hard link to an ISO image",
       Path("data-link.iso"),
       {"check", upgradeFile_},
       iso_,
       "the disc image " + iso_},
      {"a CUE sheet", cue_, {"check", upgradeFile_}, cue_, "the disc image " + cue_},
      {"a BIN file of a CUE sheet", bin_, {"check", upgradeFile_}, bin_, "the disc image " + bin_},
      {"a symbolic link to a BIN file",
       Path("album-symlink.bin"),
       {"check", upgradeFile_},
       bin_,
       "the disc image " + bin_},
  };
  for (const auto& c : cases) {
    const std::string before = Contents(c.kept);
    std::vector<std::string> arguments{simulate, "--log-commands", c.log};
    arguments.insert(arguments.end(), c.command.begin(), c.command.end());
    EXPECT_EQ(Run(arguments), kExitBadUsage) << c.name;
    EXPECT_EQ(err.str(), "korvelfw: the command log " + c.log + " is the same file as " + c.said +
                             "; name another file\n")
        << c.name;
    EXPECT_EQ(out.str(), "") << c.name;
    // Compared as a whole, not printed: the bytes of an upgrade file would fill the screen.
    EXPECT_TRUE(Contents(c.kept) == before) << c.name << ": the file was changed";
  }
}

TEST_F(CommandLogInputsTest, AnotherFileBesideTheInputsTakesTheLog) {
  const std::string log = Path("commands.jsonl");
  std::ofstream(log) << "an old log\n";
  ASSERT_EQ(Run({"--simulate=" + scenario_, "--log-commands", log, "check", upgradeFile_}),
            kExitSuccess)
      << err.str();
  const std::string written = Contents(log);
  EXPECT_EQ(written.find("an old log"), std::string::npos) << "the old log was not replaced";
  EXPECT_EQ(written.rfind("{\"adapter\"", 0), 0u) << written;
}

}  // namespace
}  // namespace korvel::cli
