// korvel-upgrade run as a program on the built-in simulated PC: options, machine, command log
// and debugger channel wired together, through the hidden screenshot script that loads an
// upgrade file and presses Upgrade.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "formats/SampleImage.h"
#include "formats/UpgradeFileFormat.h"

namespace korvel::app {
namespace {

struct ProgramRun {
  int exitCode = -1;
  QByteArray standardError;
};

struct ProgramOutput {
  int exitCode = -1;
  QByteArray standardOutput;
  QByteArray standardError;
};

// The program on a machine without any display: no X server, no Wayland, and a platform
// plugin that does not exist, so that making the Qt application would abort.
ProgramOutput RunWithoutDisplay(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(KORVEL_UPGRADE_PROGRAM), arguments);
  EXPECT_TRUE(process.waitForFinished(60000));
  return ProgramOutput{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                       process.readAllStandardOutput(), process.readAllStandardError()};
}

ProgramRun RunProgram(const QStringList& arguments, const QString& debugEnvironment = {}) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.remove(QStringLiteral("KORVEL_DEBUG"));
  if (!debugEnvironment.isEmpty())
    environment.insert(QStringLiteral("KORVEL_DEBUG"), debugEnvironment);
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(KORVEL_UPGRADE_PROGRAM), arguments);
  EXPECT_TRUE(process.waitForFinished(120000));
  return ProgramRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                    process.readAllStandardError()};
}

class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(directory_.isValid());
    image_ = directory_.filePath(QStringLiteral("RZ5140-110.bin"));
    const std::vector<std::uint8_t> bytes = formats::MakeSampleImage(formats::kFormatB, "1.10", 3);
    std::ofstream out(image_.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

  QString Path(const char* name) const { return directory_.filePath(QString::fromLatin1(name)); }

  QTemporaryDir directory_;
  QString image_;
};

TEST_F(ProgramRunTest, UpgradesTheFirstDriveLogsEveryCommandAndTracesEachSelection) {
  const ProgramRun run =
      RunProgram({"--simulate", "--log-commands", Path("commands.jsonl"), "--debug-trace",
                  "--screenshot-script", directory_.path(), "--screenshot-image", image_});
  EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  EXPECT_TRUE(std::filesystem::exists(Path("korvel-upgrade-drive-selected.png").toStdString()));
  EXPECT_TRUE(std::filesystem::exists(Path("korvel-upgrade-after-upgrade.png").toStdString()));
  // One selection at start: the built-in PC's first drive, an RZ5140.
  EXPECT_EQ(run.standardError.count("Korveltype 16\r\n"), 1) << run.standardError.toStdString();

  std::ifstream log(Path("commands.jsonl").toStdString());
  int writeBufferMode4 = 0;
  int writeBufferMode5 = 0;
  for (std::string line; std::getline(log, line);) {
    const std::string cdb = nlohmann::json::parse(line)["cdb"].get<std::string>();
    writeBufferMode4 += cdb.rfind("3B 04", 0) == 0;
    writeBufferMode5 += cdb.rfind("3B 05", 0) == 0;
  }
  EXPECT_EQ(writeBufferMode4, 63);
  EXPECT_EQ(writeBufferMode5, 1);
}

TEST_F(ProgramRunTest, TheTraceIsSilentUnlessAskedFor) {
  const QStringList arguments{"--simulate", "--screenshot-script", directory_.path(),
                              "--screenshot-image", image_};
  EXPECT_EQ(RunProgram(arguments).standardError.count("Korveltype"), 0);
  EXPECT_EQ(RunProgram(arguments, QStringLiteral("1")).standardError.count("Korveltype 16\r\n"), 1);
}

TEST_F(ProgramRunTest, AScenarioWithFaultsEndsWithBadUsageBeforeAnyWindow) {
  {
    std::ofstream scenario(Path("broken.json").toStdString());
    scenario << R"({"os": "win31"})";
  }
  const ProgramRun run = RunProgram({QStringLiteral("--simulate=") + Path("broken.json")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.standardError.contains("os")) << run.standardError.toStdString();
}

TEST_F(ProgramRunTest, AScenarioTextInAnErrorCannotDriveTheTerminal) {
  {
    std::ofstream scenario(Path("escape.json").toStdString());
    scenario << R"({"os": "win98\u001b[2J\u009b"})";
  }
  const ProgramRun run = RunProgram({QStringLiteral("--simulate=") + Path("escape.json")});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_FALSE(run.standardError.contains('\x1b')) << run.standardError.toStdString();
  EXPECT_FALSE(run.standardError.contains("\xC2\x9B")) << run.standardError.toStdString();
  EXPECT_TRUE(run.standardError.contains("win98\\x1B[2J\\xC2\\x9B"))
      << run.standardError.toStdString();
}

TEST(ProgramWithoutDisplayTest, HelpAndBadUsageNeedNoDisplay) {
  const ProgramOutput help = RunWithoutDisplay({QStringLiteral("--help")});
  EXPECT_EQ(help.exitCode, 0) << help.standardError.toStdString();
  EXPECT_TRUE(help.standardOutput.contains("--simulate")) << help.standardOutput.toStdString();

  const struct {
    QStringList arguments;
    const char* message;
  } refused[] = {
      {{QStringLiteral("--frobnicate")}, "--frobnicate"},
      {{QStringLiteral("--log-commands"), QString()}, "--log-commands needs a file name"},
      {{QStringLiteral("--simulate=")}, "--simulate= needs a scenario file"},
      {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("stray")},
       "stray"},
  };
  for (const auto& c : refused) {
    const ProgramOutput run = RunWithoutDisplay(c.arguments);
    EXPECT_EQ(run.exitCode, 2) << c.arguments.join(' ').toStdString();
    EXPECT_TRUE(run.standardError.contains(c.message)) << run.standardError.toStdString();
  }
}

// No display and no platform chosen, as in a plain terminal or a service: the arguments and the
// scenario are still checked first, and then one line says why the window cannot open.
ProgramOutput RunWithNoDisplayAtAll(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(KORVEL_UPGRADE_PROGRAM), arguments);
  EXPECT_TRUE(process.waitForFinished(60000));
  return ProgramOutput{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                       process.readAllStandardOutput(), process.readAllStandardError()};
}

TEST(ProgramWithoutDisplayTest, AMissingScenarioIsNamedBeforeTheDisplayIsNeeded) {
  for (const auto& run : {RunWithNoDisplayAtAll({QStringLiteral("--simulate=missing.json")}),
                          RunWithoutDisplay({QStringLiteral("--simulate=missing.json")})}) {
    EXPECT_EQ(run.exitCode, 2) << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.startsWith("korvel-upgrade: "))
        << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.contains("missing.json")) << run.standardError.toStdString();
    EXPECT_FALSE(run.standardError.contains("display")) << run.standardError.toStdString();
  }
}

TEST(ProgramWithoutDisplayTest, NoDisplayIsOneLineAndBadUsage) {
  const ProgramOutput run = RunWithNoDisplayAtAll({QStringLiteral("--simulate")});
  EXPECT_EQ(run.exitCode, 2) << run.standardError.toStdString();
  EXPECT_EQ(run.standardError.toStdString(),
            "korvel-upgrade: no display (DISPLAY and WAYLAND_DISPLAY are unset); run it in a "
            "desktop session, or use korvelfw\n");
  EXPECT_EQ(run.standardOutput.toStdString(), "");
}

TEST_F(ProgramRunTest, ALogThatCannotTakeTheRecordsEndsWithBadUsage) {
  const ProgramRun run =
      RunProgram({"--simulate", "--log-commands", "/dev/full", "--screenshot-script",
                  directory_.path(), "--screenshot-image", image_});
  EXPECT_EQ(run.exitCode, 2) << run.standardError.toStdString();
  EXPECT_TRUE(run.standardError.contains("cannot write the command log /dev/full"))
      << run.standardError.toStdString();
}

// The log never replaces a file the run reads: the scenario, a disc image it names, or the upgrade
// file the run loads.
TEST_F(ProgramRunTest, ALogOnAFileTheRunReadsIsRefusedAndTheFileIsKept) {
  {
    std::ofstream(Path("data.iso").toStdString(), std::ios::binary)
        << std::string(16 * 2048, '\x11');
    std::ofstream scenario(Path("pc.json").toStdString());
    scenario << R"({"os": "win98", "aspi": {"installed": true}, "adapters": [
        {"id": 0, "driver": "vxscsi", "host_id": 7, "targets": [
          {"id": 2, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ",
           "revision": "1.00", "disc": {"iso": "data.iso"}}]}]})";
  }
  const auto sizeOf = [](const QString& path) {
    return std::filesystem::file_size(path.toStdString());
  };
  const struct {
    QString log;
    std::string said;
  } cases[] = {
      {Path("pc.json"), "the scenario " + Path("pc.json").toStdString()},
      {Path("data.iso"), "the disc image " + Path("data.iso").toStdString()},
      {image_, "the upgrade file " + image_.toStdString()},
  };
  for (const auto& c : cases) {
    const std::uintmax_t before = sizeOf(c.log);
    const ProgramRun run =
        RunProgram({QStringLiteral("--simulate=") + Path("pc.json"), "--log-commands", c.log,
                    "--screenshot-script", directory_.path(), "--screenshot-image", image_});
    EXPECT_EQ(run.exitCode, 2) << c.said;
    // The line ends the output; Qt may have noted its own set-up before it.
    const std::string line = "korvel-upgrade: the command log " + c.log.toStdString() +
                             " is the same file as " + c.said + "; name another file\n";
    EXPECT_TRUE(run.standardError.endsWith(QByteArray::fromStdString(line)))
        << run.standardError.toStdString();
    EXPECT_EQ(sizeOf(c.log), before) << c.said << ": the file was changed";
  }
}

}  // namespace
}  // namespace korvel::app
