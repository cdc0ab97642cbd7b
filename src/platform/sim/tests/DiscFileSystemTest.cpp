// The drive letters of emulated drives on the simulated PC: the disc's ISO 9660 files as the CD
// file system shows them, read with the drive's own commands straight on the bus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/DeviceFactory.h"
#include "emulator/VirtualClock.h"
#include "emulator/tests/ScratchDirectory.h"
#include "formats/tests/Iso9660TestImage.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedPc.h"
#include "platform/testing/CaseNames.h"

namespace korvel::platform::sim {
namespace {

using emulator::testing::ScratchDirectory;
using formats::iso9660::testing::TestIsoImage;

constexpr DWORD kMissing = INVALID_FILE_ATTRIBUTES;
// Blocks between a session's lead-out and the next session's first track.
constexpr std::uint32_t kSessionGap = 11400;
constexpr std::uint32_t kAudioBlocks = 300;

TestIsoImage VideoCdTree() {
  TestIsoImage image("VIDEO_CD");
  image.File("VCD/INFO.VCD;1").Folder("CDI").File("MPEGAV/AVSEQ01.DAT;1").File("README.;1");
  return image;
}

// Every CDB the emulated drives receive, in order.
struct CommandTrail {
  std::vector<std::string> cdbs;
};

class RecordingDevice : public emulator::ScsiTarget {
 public:
  RecordingDevice(std::unique_ptr<emulator::ScsiTarget> inner, CommandTrail& trail)
      : inner_(std::move(inner)), trail_(trail) {}
  emulator::CommandResult Execute(std::span<const std::uint8_t> cdb, emulator::Direction direction,
                                  std::span<std::uint8_t> data) override {
    std::string text;
    for (std::uint8_t byte : cdb) {
      char hex[4];
      std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", byte);
      text += hex;
    }
    trail_.cdbs.push_back(text);
    return inner_->Execute(cdb, direction, data);
  }

 private:
  std::unique_ptr<emulator::ScsiTarget> inner_;
  CommandTrail& trail_;
};

class DiscFileSystemTest : public ::testing::Test {
 protected:
  DiscFileSystemTest() {
    const auto iso = scratch_.Write("vcd.iso", VideoCdTree().Bytes());
    // A CD Extra: audio in session 1, the file system in session 2, made for its address there.
    const std::uint32_t dataStart = kAudioBlocks + kSessionGap;
    scratch_.Write("audio.bin", std::vector<std::uint8_t>(kAudioBlocks * 2352));
    scratch_.Write("extra.iso", VideoCdTree().Bytes(dataStart));
    const std::string cue =
        "REM SESSION 01\nFILE \"audio.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
        "REM SESSION 02\nFILE \"extra.iso\" BINARY\n  TRACK 02 MODE1/2048\n"
        "    INDEX 01 00:00:00\n";
    const auto cuePath =
        scratch_.Write("extra.cue", std::vector<std::uint8_t>(cue.begin(), cue.end()));
    const nlohmann::json audio = {
        {"sessions", {{{"tracks", {{{"mode", "audio"}, {"blocks", kAudioBlocks}}}}}}}};
    auto drive = [](unsigned id, const char* letter, nlohmann::json disc) {
      nlohmann::json target = {{"id", id}, {"letter", letter}, {"product", "CD-R   RZ6120   "}};
      if (!disc.is_null()) target["disc"] = std::move(disc);
      return target;
    };
    const nlohmann::json scenario = {
        {"os", "win98"},
        {"aspi", {{"installed", true}}},
        {"adapters",
         {{{"id", 0u},
           {"targets",
            {drive(2u, "E", {{"iso", iso.string()}}), drive(3u, "F", nullptr),
             drive(4u, "G", audio), drive(5u, "H", {{"cue", cuePath.string()}})}}}}}};
    pc_ = std::make_unique<SimulatedPc>(
        ParseScenario(scenario), clock_,
        [this](const AdapterSettings&, const TargetSettings& target, emulator::Clock& clock) {
          return std::make_unique<RecordingDevice>(emulator::MakeDevice(target.device, clock),
                                                   trail_);
        });
    trail_.cdbs.clear();  // the boot's INQUIRY commands
  }

  struct Answer {
    DWORD attributes;
    DWORD error;
  };
  Answer Ask(const std::string& path) {
    FileSystem& files = pc_->platform().files;
    const DWORD attributes = files.GetFileAttributesA(path.c_str());
    return {attributes, attributes == kMissing ? files.GetLastError() : ERROR_SUCCESS};
  }

  ScratchDirectory scratch_;
  emulator::VirtualClock clock_;
  CommandTrail trail_;
  std::unique_ptr<SimulatedPc> pc_;
};

struct PathCase {
  const char* path;
  DWORD attributes;
  DWORD error;
};

void PrintTo(const PathCase& c, std::ostream* os) {
  case_names::PrintText(c.path, os);
}

class DiscPathTest : public DiscFileSystemTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(DiscPathTest, AnswersAsTheCdFileSystemWould) {
  const Answer answer = Ask(GetParam().path);
  EXPECT_EQ(answer.attributes, GetParam().attributes);
  EXPECT_EQ(answer.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DiscPathTest,
    ::testing::Values(PathCase{"E:\\", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"E:\\Vcd", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"e:\\mpegav", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"E:\\CDI\\", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"E:\\Vcd\\Info.vcd", FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
                      PathCase{"E:\\Readme", FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
                      PathCase{"E:\\Photo_cd", kMissing, ERROR_FILE_NOT_FOUND},
                      PathCase{"E:\\Photo_cd\\Images", kMissing, ERROR_PATH_NOT_FOUND},
                      PathCase{"E:\\Readme\\x", kMissing, ERROR_PATH_NOT_FOUND},
                      PathCase{"F:\\Vcd", kMissing, ERROR_NOT_READY},
                      PathCase{"G:\\Vcd", kMissing, ERROR_UNRECOGNIZED_MEDIA},
                      PathCase{"H:\\Vcd", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"H:\\Mpegav\\Avseq01.dat", FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
                      PathCase{"C:\\Vcd", kMissing, ERROR_PATH_NOT_FOUND},
                      PathCase{"Z:\\", kMissing, ERROR_PATH_NOT_FOUND}));

TEST_F(DiscFileSystemTest, ReadsTheSessionThenTheDescriptorsAndEachFolderOnTheBus) {
  EXPECT_EQ(Ask("E:\\Vcd\\Info.vcd").attributes, FILE_ATTRIBUTE_NORMAL);
  // Blocks: 16 and 17 the descriptors, 18 the root, then CDI, MPEGAV and VCD.
  const std::vector<std::string> expected{
      "43 00 01 00 00 00 00 00 0C 00",  // READ TOC, session information
      "28 00 00 00 00 10 00 00 01 00",  // READ(10) block 16: the primary volume descriptor
      "28 00 00 00 00 12 00 00 01 00",  // the root
      "28 00 00 00 00 15 00 00 01 00",  // VCD
  };
  EXPECT_EQ(trail_.cdbs, expected);
  EXPECT_EQ(pc_->bus().CommandCount(0, 2), expected.size());
}

TEST_F(DiscFileSystemTest, TheVolumeOfALaterSessionIsFoundAtItsOwnAddress) {
  EXPECT_EQ(Ask("H:\\Cdi").attributes, FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_GE(trail_.cdbs.size(), 2u);
  // 11700 + 16 = 11716 = 0x2DC4.
  EXPECT_EQ(trail_.cdbs[1], "28 00 00 00 2D C4 00 00 01 00");
}

TEST_F(DiscFileSystemTest, HostPathsStayHostPaths) {
  EXPECT_EQ(Ask(scratch_.path().string()).attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(Ask((scratch_.path() / "vcd.iso").string()).attributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(trail_.cdbs.empty());
}

}  // namespace
}  // namespace korvel::platform::sim
