// korvelfw on inputs a review found mishandled: empty and malformed options, command logs that
// cannot take the records, file names and drive texts that are not printable UTF-8, and the
// order and wording of what check and upgrade say.
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "UpgradeCommandFixture.h"
#include "cli/ExitCodes.h"

namespace korvel::cli {
namespace {

class ReviewedUsageTest : public testing::UpgradeCommandFixture {
 protected:
  std::string LogText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
};

TEST_F(ReviewedUsageTest, EmptyOrMalformedOptionsAreBadUsageInEveryCommand) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::string log = (folder_ / "commands.jsonl").string();
  const struct {
    std::vector<std::string> options;
    const char* message;
  } cases[] = {
      {{"--drive", ""}, "--drive takes H:T"},
      {{"--drive=", ""}, "--drive= gives an empty value"},
      {{"--log-commands=", ""}, "--log-commands= gives an empty value"},
      {{"--drive", ":"}, "--drive takes H:T"},
      {{"--drive", "0:"}, "--drive takes H:T"},
      {{"--drive", " 0:2"}, "--drive takes H:T"},
      {{"--drive", "0:2:1"}, "--drive takes H:T"},
      {{"--drive", "+0:2"}, "--drive takes H:T"},
      {{"--log-commands", ""}, "--log-commands needs a file name"},
      {{"--log-commands", folder_.string()}, "cannot write the command log"},
      {{"--simulate=", ""}, "--simulate= needs a scenario file"},
  };
  for (const auto& c : cases) {
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"check", file},
          std::vector<std::string>{"upgrade", file, "--yes"}}) {
      std::vector<std::string> arguments;
      if (c.options[0] != "--simulate=") arguments.push_back("--simulate");
      arguments.push_back(c.options[0]);
      if (c.options[0].back() != '=') arguments.push_back(c.options[1]);
      arguments.insert(arguments.end(), command.begin(), command.end());
      EXPECT_EQ(Run(arguments), kExitBadUsage) << c.options[0] << " '" << c.options[1] << "'";
      EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
      EXPECT_EQ(out.str().find("succesfully"), std::string::npos) << out.str();
    }
  }
}

TEST_F(ReviewedUsageTest, ALogOnAFifoIsRefusedAtOnceAndNothingIsFlashed) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  const std::string fifo = (folder_ / "log.fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Run({"--simulate", "--log-commands", fifo, "upgrade", file, "--yes"}), kExitBadUsage);
  EXPECT_NE(err.str().find("cannot write the command log"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

TEST_F(ReviewedUsageTest, ALogThatFailsToWriteStopsTheUpgradeBeforeAnyWriteBuffer) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  EXPECT_EQ(Run({"--simulate", "--log-commands", "/dev/full", "upgrade", file, "--yes"}),
            kExitBadUsage);
  EXPECT_NE(err.str().find("cannot write the command log /dev/full: No space left on device"),
            std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find("nothing was sent to the drive"), std::string::npos) << err.str();
  EXPECT_EQ(out.str().find("Please wait"), std::string::npos) << out.str();

  EXPECT_EQ(Run({"--simulate", "--log-commands", "/dev/full", "check", file}), kExitBadUsage);
  EXPECT_NE(err.str().find("No space left on device"), std::string::npos) << err.str();
  // A character device that takes the records is fine.
  EXPECT_EQ(Run({"--simulate", "--log-commands", "/dev/null", "check", file}), kExitSuccess)
      << err.str();
}

TEST_F(ReviewedUsageTest, AFileNameThatIsNotUtf8IsPrintedSafelyInJsonAndText) {
  const std::string file = WriteFile("rz\xFF\x1B[2J.bin", formatB);
  ASSERT_EQ(Run({"--simulate", "--json", "check", file}), kExitSuccess) << err.str();
  const nlohmann::json checked = nlohmann::json::parse(out.str());
  EXPECT_EQ(checked["valid"], true);
  EXPECT_EQ(checked["status"], "Valid upgrade file loaded: rz\xEF\xBF\xBD\x1B[2J.bin");

  ASSERT_EQ(Run({"--simulate", "--json", "upgrade", file, "--yes"}), kExitSuccess) << err.str();
  const nlohmann::json flashed = nlohmann::json::parse(out.str());
  EXPECT_EQ(flashed["success"], true);
  EXPECT_EQ(flashed["file"], std::string(file).replace(file.find('\xFF'), 1, "\xEF\xBF\xBD"));

  ASSERT_EQ(Run({"--simulate", "check", file}), kExitSuccess) << err.str();
  EXPECT_EQ(out.str(), "Valid upgrade file loaded: rz\\xFF\\x1B[2J.bin\n");
}

TEST_F(ReviewedUsageTest, ANewRevisionThatIsNotUtf8EndsAFlashWithValidJson) {
  const std::string file =
      WriteFile("odd.bin", formats::MakeSampleImage(formats::kFormatB, "\xFF\xFE\x07Z", 3));
  ASSERT_EQ(Run({"--simulate", "--json", "upgrade", file, "--yes"}), kExitSuccess) << err.str();
  const nlohmann::json result = nlohmann::json::parse(out.str());
  EXPECT_EQ(result["success"], true);
  EXPECT_EQ(result["firmware_after"], "\xEF\xBF\xBD\xEF\xBF\xBD\x07Z");

  ASSERT_EQ(Run({"--simulate", "upgrade", file, "--yes"}), kExitSuccess) << err.str();
  EXPECT_NE(out.str().find("Firmware version: 1.00 before, \\xFF\\xFE\\x07Z now\n"),
            std::string::npos)
      << out.str();
}

TEST_F(ReviewedUsageTest, AnEmptyPathIsBadUsageNotABadFile) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--simulate", "check", ""},
        std::vector<std::string>{"--simulate", "upgrade", "", "--yes"}}) {
    const std::string& command = arguments[1];
    EXPECT_EQ(Run(arguments), kExitBadUsage) << command;
    EXPECT_EQ(err.str(), "korvelfw: the upgrade file path is empty\n") << command;
    EXPECT_EQ(out.str(), "") << command;
  }
}

TEST_F(ReviewedUsageTest, TheSameRevisionWarningFitsTheBackEnd) {
  const std::string same =
      WriteFile("same.bin", formats::MakeSampleImage(formats::kFormatB, "1.00", 3));
  ASSERT_EQ(Run({"--simulate", "upgrade", same, "--drive", "0:2", "--yes"}), kExitSuccess);
  EXPECT_NE(err.str().find("may report its old revision until it restarts"), std::string::npos)
      << err.str();
  EXPECT_EQ(err.str().find("pass-through"), std::string::npos) << err.str();

  const std::string nt4 = R"({"os": "nt4", "aspi": {"installed": false}, "adapters": [
      {"id": 0, "port": 0, "driver": "vxscsi", "host_id": 7, "targets": [
        {"id": 3, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ",
         "revision": "1.00"}]}]})";
  const std::string scenario = WriteFile("nt4.json", {nt4.begin(), nt4.end()});
  const std::string newer = WriteFile("rz5140.bin", formatB);
  ASSERT_EQ(Run({"--simulate=" + scenario, "upgrade", newer, "--yes"}), kExitSuccess) << err.str();
  EXPECT_NE(err.str().find("In NT pass-through mode the port driver keeps the identity"),
            std::string::npos)
      << err.str();
}

TEST_F(ReviewedUsageTest, TheQuestionFollowsTheLineThatSaysTheFileIsValid) {
  const std::string file = WriteFile("rz5140.bin", formatB);
  std::ostringstream both;
  in.str("n\n");
  in.clear();
  std::vector<std::unique_ptr<CliCommand>> commands;
  commands.push_back(std::make_unique<UpgradeCommand>(
      UpgradeConsole{&in, [] { return true; }, [] { return true; }}));
  const char* argv[] = {"korvelfw", "--simulate", "upgrade", file.c_str()};
  EXPECT_EQ(RunKorvelfw(4, argv, commands, both, both), kExitFailed);
  const std::string text = both.str();
  const std::size_t valid = text.find("Valid upgrade file loaded: rz5140.bin\n");
  const std::size_t question = text.find("[y/N]");
  ASSERT_NE(valid, std::string::npos) << text;
  ASSERT_NE(question, std::string::npos) << text;
  EXPECT_LT(valid, question) << text;
}

TEST_F(ReviewedUsageTest, CommandHelpListsTheGlobalOptions) {
  for (const char* command : {"check", "upgrade"}) {
    EXPECT_EQ(Run({command, "--help"}), kExitSuccess) << command;
    for (const char* option : {"--simulate", "--log-commands", "--json", "--drive"}) {
      EXPECT_NE(out.str().find(option), std::string::npos) << command << " " << option;
    }
  }
}

}  // namespace
}  // namespace korvel::cli
