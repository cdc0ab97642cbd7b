// The disc report's folder tests on a real file system: a mode 2 disc in a drive with a letter,
// its ISO 9660 folders read by the simulated PC through the drive, names the Video CD and the
// Photo CD.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drive/tests/SimulatedSpeedDrive.h"
#include "emulator/tests/ScratchDirectory.h"
#include "formats/tests/Iso9660TestImage.h"
#include "platform/testing/CaseNames.h"
#include "utilities/DiscTypeReport.h"

namespace korvel::utilities {
namespace {

using drive::testing::SimulatedSpeedDrive;
using emulator::testing::ScratchDirectory;
using formats::iso9660::testing::Mode2Form1Sectors;
using formats::iso9660::testing::TestIsoImage;

struct FolderCase {
  std::string name;
  std::vector<std::string> folders;
  const char* letter;  // of the drive in the scenario; empty: none
  std::string discClass;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class DiscReportFoldersTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(DiscReportFoldersTest, NamesTheDiscByTheFoldersOnIt) {
  TestIsoImage image("KORVEL_FOLDERS");
  for (const std::string& folder : GetParam().folders) image.Folder(folder);
  ScratchDirectory scratch;
  scratch.Write("disc.bin", Mode2Form1Sectors(image.Bytes()));
  const std::string cue =
      "FILE \"disc.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
  const auto cuePath = scratch.Write("disc.cue", std::vector<std::uint8_t>(cue.begin(), cue.end()));
  nlohmann::json target = {
      {"vendor", "KORVEL"}, {"product", "CD-R   RZ5140   "}, {"disc", {{"cue", cuePath.string()}}}};
  if (*GetParam().letter != '\0') target["letter"] = GetParam().letter;
  SimulatedSpeedDrive rig(target);

  std::string volume;
  std::string discClass;
  std::vector<std::uint8_t> cdText(kCdTextAreaSize, 0);
  DiscTypeReport(rig.transport(), {0, 0}, volume, discClass, cdText);
  EXPECT_EQ(discClass, GetParam().discClass);
  EXPECT_EQ(volume, "KORVEL_FOLDERS");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, DiscReportFoldersTest,
    ::testing::Values(
        FolderCase{"VideoCd", {"VCD", "CDI", "MPEGAV"}, "E", "Video CD"},
        FolderCase{"PhotoCd", {"PHOTO_CD", "CDI"}, "E", "Photo CD"},
        // Photo CD is tested after Video CD and wins when both sets of folders are there.
        FolderCase{"BothSets", {"VCD", "CDI", "MPEGAV", "PHOTO_CD"}, "E", "Photo CD"},
        FolderCase{"VideoCdWithoutMpegav", {"VCD", "CDI"}, "E", "CD-ROM XA"},
        FolderCase{"PhotoCdWithoutCdi", {"PHOTO_CD"}, "E", "CD-ROM XA"},
        // Without a drive letter the report looks on C:, which is no emulated drive.
        FolderCase{"NoLetter", {"VCD", "CDI", "MPEGAV"}, "", "CD-ROM XA"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace korvel::utilities
