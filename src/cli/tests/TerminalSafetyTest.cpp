// korvelfw never hands a terminal a byte it would act on, whatever the command line, the drive
// or the files say: unknown options and commands, log names and drive texts are all shown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/CheckCommand.h"
#include "cli/DiscInfoCommand.h"
#include "cli/ExitCodes.h"
#include "cli/HostInfoCommand.h"
#include "cli/ScanCommand.h"
#include "cli/SpeedCommand.h"
#include "cli/TracksCommand.h"
#include "cli/UpgradeCommand.h"
#include "cli/tests/KorvelfwRun.h"

namespace korvel::cli {
namespace {

constexpr char kTitleSequence[] = "\x1B]0;x\x07";

ProgramRun Korvelfw(std::vector<std::string> args) {
  return RunKorvelfwWith<ScanCommand, CheckCommand, UpgradeCommand, SpeedCommand, HostInfoCommand,
                         TracksCommand, DiscInfoCommand>(std::move(args));
}

// The first byte a terminal could act on (C0 but the line feed, DEL, C1 written as UTF-8 or as a
// raw byte, a bidirectional override, isolate or mark), or -1.
std::ptrdiff_t FirstUnsafeByte(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<std::uint8_t>(text[i + 1]) : 0;
    const auto third = i + 2 < text.size() ? static_cast<std::uint8_t>(text[i + 2]) : 0;
    if ((byte < 0x20 && byte != '\n') || byte == 0x7F) return static_cast<std::ptrdiff_t>(i);
    if (byte >= 0x80 && byte <= 0x9F) return static_cast<std::ptrdiff_t>(i);  // a lone byte
    if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) return static_cast<std::ptrdiff_t>(i);
    if (byte == 0xE2 && next == 0x80 && third >= 0xAA && third <= 0xAE) {
      return static_cast<std::ptrdiff_t>(i);
    }
    if (byte == 0xE2 && next == 0x81 && third >= 0xA6 && third <= 0xA9) {
      return static_cast<std::ptrdiff_t>(i);
    }
    if (byte == 0xE2 && next == 0x80 && (third == 0x8E || third == 0x8F)) {
      return static_cast<std::ptrdiff_t>(i);
    }
    if (byte == 0xD8 && next == 0x9C) return static_cast<std::ptrdiff_t>(i);
    // Skip the continuation bytes of a character that is fine.
    if (byte >= 0xC2 && byte <= 0xF4) {
      std::size_t length = byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
      i += length - 1;
    }
  }
  return -1;
}

TEST(TerminalSafetyTest, AnUnknownOptionIsEchoedWithoutItsControlBytes) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--simulate", "scan", std::string("--") + kTitleSequence},
        std::vector<std::string>{std::string("--") + kTitleSequence, "scan"},
        std::vector<std::string>{"--simulate", "scan", std::string("--a\xC2\x9B") + "2J"},
        std::vector<std::string>{"--simulate", std::string("--") + kTitleSequence + "="}}) {
    const ProgramRun run = Korvelfw(args);
    EXPECT_EQ(run.exitCode, kExitBadUsage) << args.back();
    EXPECT_EQ(FirstUnsafeByte(run.err), -1) << run.err;
    EXPECT_EQ(FirstUnsafeByte(run.out), -1) << run.out;
  }
  const ProgramRun run = Korvelfw({"--simulate", "scan", std::string("--") + kTitleSequence});
  EXPECT_EQ(run.err,
            "The following argument was not expected: --\\x1B]0;x\\x07\n"
            "Run with --help for more information.\n");
}

TEST(TerminalSafetyTest, AnUnknownCommandIsNamedWithTheCommandsThereAre) {
  const char* const commands =
      "the commands are scan, check, upgrade, speed, host-info, tracks, disc-info\n";
  ProgramRun run = Korvelfw({"frob"});
  EXPECT_EQ(run.exitCode, kExitBadUsage);
  EXPECT_EQ(run.err, std::string("korvelfw: unknown command \"frob\"; ") + commands);
  EXPECT_EQ(run.out, "");

  run = Korvelfw({"--simulate", "--json", "--drive", "0:2", "frob", "--yes"});
  EXPECT_EQ(run.exitCode, kExitBadUsage);
  EXPECT_EQ(run.err, std::string("korvelfw: unknown command \"frob\"; ") + commands);

  run = Korvelfw({"--json", kTitleSequence});
  EXPECT_EQ(run.exitCode, kExitBadUsage);
  EXPECT_EQ(run.err, std::string("korvelfw: unknown command \"\\x1B]0;x\\x07\"; ") + commands);

  // No command at all is still CLI11's own words.
  run = Korvelfw({"--simulate"});
  EXPECT_EQ(run.exitCode, kExitBadUsage);
  EXPECT_NE(run.err.find("A subcommand is required"), std::string::npos) << run.err;
}

TEST(TerminalSafetyTest, ALogNamedWithAnEscapeThatFailsToWriteIsNamedSafely) {
  TempFolder folder;
  const std::string link = folder.PathOf(std::string("log") + kTitleSequence + ".jsonl");
  ASSERT_EQ(::symlink("/dev/full", link.c_str()), 0);
  const ProgramRun run = Korvelfw({"--simulate", "--log-commands", link, "scan"});
  EXPECT_EQ(run.exitCode, kExitBadUsage);
  EXPECT_NE(run.err.find("cannot write the command log " + folder.PathOf("log") +
                         "\\x1B]0;x\\x07.jsonl: No space left on device\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(FirstUnsafeByte(run.err), -1) << run.err;
}

// A PC with one drive whose INQUIRY product holds an escape and a right-to-left override.
std::string TrickyInquiryScenario(const TempFolder& folder) {
  return folder.Write("tricky.json", R"({"os": "win98", "aspi": {"installed": true},
    "adapters": [{"id": 0, "targets": [
      {"id": 2, "vendor": "KORVEL", "product": "CD\u001b[2J\u202eRZ5140", "revision": "1.00"}]}]})");
}

TEST(TerminalSafetyTest, DriveTextsAreShownEscapedInTextAndJson) {
  TempFolder folder;
  const std::string scenario = TrickyInquiryScenario(folder);
  ProgramRun run = Korvelfw({"--simulate=" + scenario, "scan"});
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_NE(run.out.find("KORVEL   CD\\x1B[2J\\xE2\\x80\\xAERZ5140 "), std::string::npos)
      << run.out;
  EXPECT_EQ(FirstUnsafeByte(run.out), -1) << run.out;

  run = Korvelfw({"--simulate=" + scenario, "--json", "scan"});
  ASSERT_EQ(run.exitCode, kExitSuccess) << run.err;
  EXPECT_NE(run.out.find("\"product\": \"CD\\u001b[2J\\u202eRZ5140 \""), std::string::npos)
      << run.out;
  EXPECT_EQ(FirstUnsafeByte(run.out), -1) << run.out;
  EXPECT_EQ(nlohmann::json::parse(run.out)["drives"][0]["product"], "CD\x1B[2J\xE2\x80\xAERZ5140 ");
}

TEST(TerminalSafetyTest, AScenarioWithANulByteIsRefusedWhereverTheNulIs) {
  TempFolder folder;
  const std::string good = R"({"os": "win98"})";
  const struct {
    const char* name;
    std::string text;
    const char* offset;
  } cases[] = {
      {"after the document", good + std::string("\0{\"os\": \"nt4\"}", 14), "offset 15"},
      {"after the document alone", good + std::string("\0", 1), "offset 15"},
      {"between the tokens", std::string("{\"os\":\0 \"win98\"}", 16), "offset 6"},
  };
  for (const auto& c : cases) {
    const std::string scenario = folder.Write("nul.json", c.text);
    const ProgramRun run = Korvelfw({"--simulate=" + scenario, "host-info"});
    EXPECT_EQ(run.exitCode, kExitBadUsage) << c.name;
    EXPECT_NE(run.err.find(scenario + ": scenario: a NUL byte at " + c.offset + ";"),
              std::string::npos)
        << c.name << ": " << run.err;
    EXPECT_EQ(run.out, "") << c.name;
  }
}

}  // namespace
}  // namespace korvel::cli
