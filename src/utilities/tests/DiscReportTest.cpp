// The disc identification report on emulated drives and discs: the class from the track pattern
// and the sector at 16, the maker from the ATIP, the drive's facts, the session questions, and
// the exact commands of one report as the drive receives them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drive/Commands.h"
#include "drive/tests/SimulatedSpeedDrive.h"
#include "platform/testing/CaseNames.h"
#include "utilities/DiscManufacturer.h"
#include "utilities/DiscTypeReport.h"
#include "utilities/DriveFacts.h"
#include "utilities/RawSectorRead.h"
#include "utilities/SessionQueries.h"

namespace korvel::utilities {
namespace {

using drive::testing::SimulatedSpeedDrive;
using nlohmann::json;

constexpr transport::DeviceAddress kDrive{0, 0};

json Rz5140With(json disc) {
  return {{"vendor", "KORVEL"}, {"product", "CD-R   RZ5140   "}, {"disc", std::move(disc)}};
}

json Track(const char* mode, int blocks = 300) {
  return {{"mode", mode}, {"blocks", blocks}};
}

// Sessions of tracks, as the scenario describes a disc.
json Disc(std::vector<std::vector<json>> sessions) {
  json list = json::array();
  for (auto& tracks : sessions) list.push_back({{"tracks", tracks}});
  return {{"sessions", list}};
}

struct Report {
  std::string volume;
  std::string discClass;
};

Report ReportOf(SimulatedSpeedDrive& rig) {
  Report report;
  std::vector<std::uint8_t> cdText(kCdTextAreaSize, 0);
  DiscTypeReport(rig.transport(), kDrive, report.volume, report.discClass, cdText);
  return report;
}

struct ClassCase {
  std::string name;
  json disc;
  std::string discClass;
};

void PrintTo(const ClassCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class DiscClassTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(DiscClassTest, NamesTheClassFromTheTrackPatternAndSector16) {
  SimulatedSpeedDrive rig(Rz5140With(GetParam().disc));
  EXPECT_EQ(ReportOf(rig).discClass, GetParam().discClass);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, DiscClassTest,
    ::testing::Values(
        ClassCase{"DataOnly", Disc({{Track("mode1")}}), "CD-ROM - Mode 1"},
        ClassCase{"Mode2DataGetsXa", Disc({{Track("mode2")}}), "CD-ROM XA"},
        ClassCase{"AudioOnly", Disc({{Track("audio"), Track("audio")}}), "Audio CD"},
        ClassCase{"DataThenAudio", Disc({{Track("mode1"), Track("audio")}}),
                  "Mixed Mode CD - Mode 1"},
        ClassCase{"AudioThenDataMode2HasNoXa", Disc({{Track("audio")}, {Track("mode2")}}),
                  "CD Extra"},
        ClassCase{"AudioThenDataMode1", Disc({{Track("audio")}, {Track("mode1")}}),
                  "CD Extra - Mode 1"},
        ClassCase{"LaterTracksKeepMixedMode",
                  Disc({{Track("mode1"), Track("audio"), Track("mode1"), Track("audio")}}),
                  "Mixed Mode CD - Mode 1"},
        ClassCase{"LaterTracksKeepCdExtra",
                  Disc({{Track("audio"), Track("audio")}, {Track("mode1"), Track("audio")}}),
                  "CD Extra - Mode 1"},
        ClassCase{"NoDisc", nullptr, "-"}),
    [](const auto& info) { return info.param.name; });

TEST(DiscTypeReportTest, AnAudioOnlyDiscHasSector16ReadRawAndTheBlockLengthPutBack) {
  SimulatedSpeedDrive rig(Rz5140With(Disc({{Track("audio")}})));
  rig.Sent();
  ReportOf(rig);
  std::vector<std::string> cdbs = rig.SentCdbs();
  const std::vector<std::string> expected = {
      "00 00 00 00 00 00",              // TEST UNIT READY
      "03 00 00 00 12 00",              // REQUEST SENSE
      "25 00 00 00 00 00 00 00 00 00",  // READ CAPACITY
      "43 00 00 00 00 00 00 03 24 00",  // READ TOC, format 0 in the control byte
      "12 00 00 00 38 00",              // INQUIRY of ModeSenseCompat
      "1a 00 00 00 0c 00",              // MODE SENSE(6) page 0, 12 bytes
      "12 00 00 00 38 00",              // INQUIRY of ModeSelectCompat
      "15 00 00 00 0c 00",              // MODE SELECT(6): block length 2352
      "12 00 00 00 38 00",              // INQUIRY of ReadBlocksCompat
      "08 00 00 10 01 00",              // READ(6) of block 16
      "12 00 00 00 38 00",              // INQUIRY of ModeSelectCompat
      "15 00 00 00 0c 00",              // MODE SELECT(6): the saved list
      "43 00 05 00 00 00 00 07 d0 00",  // READ TOC CD-TEXT, 2000 bytes
      "43 00 05 00 00 00 00 00 02 00",  // again, as long as its data length says
  };
  // Case of the hex digits as the log writes them.
  for (std::string& cdb : cdbs) {
    for (char& c : cdb) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  EXPECT_EQ(cdbs, expected);
}

// --- Sector contents from an image: volume names, PlayStation, CD-TEXT titles --------------------

class ImageDir {
 public:
  ImageDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("korvel-report-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(path_);
  }
  ~ImageDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    return path_ / name;
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

// 20 raw mode 2 sectors whose sector 16 carries `system` at raw byte 32 and `volume` at 64.
std::vector<std::uint8_t> Mode2Image(const std::string& system, const std::string& volume) {
  std::vector<std::uint8_t> image(20 * kRawSectorLength, 0);
  for (std::size_t s = 0; s < 20; ++s) {
    std::uint8_t* sector = &image[s * kRawSectorLength];
    std::fill_n(sector + 1, 10, 0xFF);
    sector[15] = 2;
  }
  std::uint8_t* pvd = &image[16 * kRawSectorLength];
  std::copy(system.begin(), system.end(), pvd + 32);
  std::fill_n(pvd + 64, 32, ' ');
  std::copy(volume.begin(), volume.end(), pvd + 64);
  return image;
}

TEST(DiscTypeReportTest, APlayStationDiscIsNamedWithoutXa) {
  ImageDir dir;
  const auto bin = dir.Write("game.bin", Mode2Image("PLAYSTATION", "SLUS_00001"));
  const std::string cue =
      "FILE \"" + bin.string() + "\" BINARY\n  TRACK 01 MODE2/2352\n" + "    INDEX 01 00:00:00\n";
  const auto cuePath = dir.Write("game.cue", std::vector<std::uint8_t>(cue.begin(), cue.end()));
  SimulatedSpeedDrive rig(Rz5140With({{"cue", cuePath.string()}}));
  const Report report = ReportOf(rig);
  EXPECT_EQ(report.discClass, "PlayStation");
  EXPECT_EQ(report.volume, "SLUS_00001");
}

TEST(DiscTypeReportTest, AMode2DiscOfAnotherSystemKeepsXaAndItsVolumeName) {
  ImageDir dir;
  const auto bin = dir.Write("data.bin", Mode2Image("OTHER", "ARCHIVE_2026"));
  const std::string cue =
      "FILE \"" + bin.string() + "\" BINARY\n  TRACK 01 MODE2/2352\n" + "    INDEX 01 00:00:00\n";
  const auto cuePath = dir.Write("data.cue", std::vector<std::uint8_t>(cue.begin(), cue.end()));
  SimulatedSpeedDrive rig(Rz5140With({{"cue", cuePath.string()}}));
  const Report report = ReportOf(rig);
  EXPECT_EQ(report.discClass, "CD-ROM XA");
  EXPECT_EQ(report.volume, "ARCHIVE_2026");
}

TEST(DiscTypeReportTest, CdTextMakesTheTitleTheVolumeWithAmpersandsDoubled) {
  json disc = Disc({{Track("audio"), Track("audio")}});
  disc["title"] = "Salt & Pepper";
  SimulatedSpeedDrive rig(Rz5140With(disc));
  const Report report = ReportOf(rig);
  EXPECT_EQ(report.discClass, "Audio CD + CD TEXT");
  EXPECT_EQ(report.volume, "Salt && Pepper");
}

// --- The maker of a recordable disc
// ---------------------------------------------------------------

struct MakerCase {
  std::string name;
  json atip;
  std::string text;
};

void PrintTo(const MakerCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class DiscManufacturerTest : public ::testing::TestWithParam<MakerCase> {};

TEST_P(DiscManufacturerTest, NamesTheMakerFromTheLeadIn) {
  json disc = Disc({{Track("mode1")}});
  disc["appendable"] = true;
  disc["atip"] = GetParam().atip;
  SimulatedSpeedDrive rig(Rz5140With(disc));
  EXPECT_EQ(DiscManufacturerText(rig.transport(), kDrive), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    LeadIns, DiscManufacturerTest,
    ::testing::Values(
        MakerCase{"FirstCode", {{"lead_in", "97:24:01"}}, "Taiyo Yuden (type 1), 79:59:74"},
        MakerCase{"SecondCode", {{"lead_in", "97:46:01"}}, "Taiyo Yuden (type 1), 79:59:74"},
        MakerCase{"Sony", {{"lead_in", "97:46:11"}}, "Sony (type 1), 79:59:74"},
        MakerCase{"UnknownCode",
                  {{"lead_in", "97:59:00"}, {"lead_out", "74:30:00"}},
                  "unknown brand, 74:30:00"},
        MakerCase{"RewritableRicohWithSpeed",
                  {{"lead_in", "97:27:03"},
                   {"lead_out", "74:12:00"},
                   {"rewritable", true},
                   {"speed_code", 2}},
                  "Ricoh (type 3), 74:12:00 - 4X RW"},
        MakerCase{"RewritableOtherLeadOutIsNotRicoh",
                  {{"lead_in", "97:27:03"}, {"lead_out", "79:59:74"}, {"rewritable", true}},
                  "unknown brand, 79:59:74"}),
    [](const auto& info) { return info.param.name; });

TEST(DiscManufacturerTest, APressedDiscHasNoMaker) {
  SimulatedSpeedDrive rig(Rz5140With(Disc({{Track("mode1")}})));
  EXPECT_EQ(DiscManufacturerText(rig.transport(), kDrive), "-");
}

TEST(DiscTypeReportTest, ABlankDiscIsNamedWithItsMaker) {
  SimulatedSpeedDrive rig(Rz5140With({{"blank", true}, {"atip", {{"lead_in", "97:24:01"}}}}));
  const Report report = ReportOf(rig);
  EXPECT_EQ(report.discClass, "Blank disc, Taiyo Yuden (type 1), 79:59:74");
  EXPECT_EQ(report.volume, "");
}

// --- The drive's facts
// -------------------------------------------------------------------------------

TEST(DriveFactsTest, SenseTextsAndTheSenseOfAnEmptyDrive) {
  EXPECT_EQ(SenseCodeText(0x023A00), "  No disc inserted");
  EXPECT_EQ(SenseCodeText(0x023A01), "  No disc inserted");
  EXPECT_EQ(SenseCodeText(0x023A02), "  No disc inserted");
  EXPECT_EQ(SenseCodeText(0x020401), "  Reading table of contents");
  EXPECT_EQ(SenseCodeText(0x052400), "  No additional information");
  SimulatedSpeedDrive rig(Rz5140With(nullptr));
  drive::TestUnitReady(rig.transport(), 0, 0);
  // The emulated drive's tray is closed: medium not present, tray closed.
  EXPECT_EQ(SenseCode(rig.transport(), kDrive), 0x023A01);
}

TEST(DriveFactsTest, TheDriveNumberIsReadAsHexadecimalDigits) {
  std::string memory(128, ' ');
  memory.replace(26, 5, "0001F");
  json drive = Rz5140With(nullptr);
  drive["vendor_memory"] = json::array({{{"address", 0}, {"ascii", memory}}});
  SimulatedSpeedDrive rig(drive);
  std::string text = "unchanged";
  EXPECT_TRUE(DriveNumberText(rig.transport(), kDrive, text));
  EXPECT_EQ(text, "000031");

  SimulatedSpeedDrive other(drive::testing::OtherMakersDrive());
  text = "unchanged";
  EXPECT_FALSE(DriveNumberText(other.transport(), kDrive, text));
  EXPECT_EQ(text, "unchanged");
}

TEST(DriveFactsTest, TheVendorStatusIsTheFirstByteForTheseModels) {
  json drive = Rz5140With(nullptr);
  drive["vendor_status"] = "5A 01";
  SimulatedSpeedDrive rig(drive);
  std::int32_t status = 0;
  EXPECT_EQ(VendorStatusByte(rig.transport(), kDrive, &status), 0x5A);
  EXPECT_EQ(status, 1);
}

// --- Sessions
// ------------------------------------------------------------------------------------------

TEST(SessionQueriesTest, LastTracksOfSessionsAndAnOpenDisc) {
  json disc = Disc({{Track("mode1"), Track("mode1")}, {Track("mode1")}});
  disc["appendable"] = true;
  SimulatedSpeedDrive rig(Rz5140With(disc));
  EXPECT_EQ(IsSessionLastTrack(rig.transport(), kDrive, 1, 1), 0);
  EXPECT_EQ(IsSessionLastTrack(rig.transport(), kDrive, 2, 1), 1);
  EXPECT_EQ(IsSessionLastTrack(rig.transport(), kDrive, 3, 1), 1);
  EXPECT_EQ(IsSessionLastTrack(rig.transport(), kDrive, 3, 0), 0);  // the disc's last track
  EXPECT_TRUE(DiscIsAppendable(rig.transport(), kDrive));

  json closed = Disc({{Track("mode1")}});
  closed["atip"] = json::object();
  SimulatedSpeedDrive closedRig(Rz5140With(closed));
  EXPECT_FALSE(DiscIsAppendable(closedRig.transport(), kDrive));
  SimulatedSpeedDrive pressed(Rz5140With(Disc({{Track("mode1")}})));
  EXPECT_FALSE(DiscIsAppendable(pressed.transport(), kDrive));
}

TEST(SectorModeTest, TheModeByteOfEachKindOfBlock) {
  SimulatedSpeedDrive rig(Rz5140With(Disc({{Track("mode1"), Track("mode2")}})));
  EXPECT_EQ(SectorMode(rig.transport(), kDrive, 10), 1);
  EXPECT_EQ(SectorMode(rig.transport(), kDrive, 310), 2);
  EXPECT_EQ(SectorMode(rig.transport(), kDrive, 100000), -1);
}

}  // namespace
}  // namespace korvel::utilities
