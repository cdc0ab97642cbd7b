// Read speed selection on emulated drives: the steps and names of every model, and the exact
// commands (CDB and parameter-list bytes, in order) that reach the drive, read from the command
// log. Models the product table cannot name (0..15) are reached by reading the INQUIRY answer as
// the model under test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drive/ReadSpeed.h"
#include "drive/tests/SimulatedSpeedDrive.h"
#include "platform/testing/CaseNames.h"

namespace korvel::drive {
namespace {

using nlohmann::json;
using testing::CdRDrive;
using testing::CdRomDrive;
using testing::kInquiryCdb;
using testing::LoggedCommand;
using testing::OtherMakersDrive;
using testing::Rz5140Drive;
using testing::Rz6120Drive;
using testing::SimulatedSpeedDrive;
using Cdbs = std::vector<std::string>;

std::string Text(const SpeedName& name) {
  return name.data();
}

std::vector<int> Steps(const SpeedDrive& drive) {
  SpeedStepList list{};
  int count = -1;
  ListReadSpeedSteps(drive, list, count);
  return std::vector<int>(list.begin(), list.begin() + count);
}

// --- Steps and names ---------------------------------------------------------------------------

struct StepsCase {
  DriveType type;
  std::vector<int> steps;
};

void PrintTo(const StepsCase& c, std::ostream* os) {
  *os << "type " << c.type;
}

class ListReadSpeedStepsTest : public ::testing::TestWithParam<StepsCase> {};

TEST_P(ListReadSpeedStepsTest, ListsTheStepsWithANominalSpeed) {
  SimulatedSpeedDrive rig(CdRomDrive());
  EXPECT_EQ(Steps(rig.driveAsType(GetParam().type)), GetParam().steps);
  EXPECT_EQ(rig.SentCdbs(), Cdbs{kInquiryCdb});
}

INSTANTIATE_TEST_SUITE_P(
    EveryModel, ListReadSpeedStepsTest,
    ::testing::Values(
        StepsCase{0, {0, 1, 2}}, StepsCase{1, {0, 1, 2}}, StepsCase{2, {0, 1, 2}},
        StepsCase{3, {0, 2, 3}}, StepsCase{4, {0, 1, 2, 3}}, StepsCase{5, {0, 1, 2, 3, 5}},
        StepsCase{6, {0, 1, 2, 3, 5}}, StepsCase{7, {0, 1, 2, 3, 6}},
        StepsCase{8, {0, 1, 2, 3, 5, 6}}, StepsCase{9, {0, 1, 2, 3, 5, 6}},
        StepsCase{10, {0, 1, 2, 3}}, StepsCase{11, {0, 1, 2, 3}}, StepsCase{12, {0, 1, 2, 3, 5, 6}},
        StepsCase{13, {0, 1, 2, 3}}, StepsCase{14, {0, 1, 2, 3, 5, 6}}, StepsCase{15, {0, 1, 2, 3}},
        StepsCase{16, {0, 1, 2, 3}}, StepsCase{17, {2, 3, 5, 6}}, StepsCase{18, {0, 1, 2, 3, 4}},
        StepsCase{19, {0, 1, 2, 3, 4}}, StepsCase{-1, {}}, StepsCase{-2, {}}, StepsCase{20, {}}));

TEST(ListReadSpeedStepsTest, RealModelsByTheirProduct) {
  SimulatedSpeedDrive cdRom(CdRomDrive());
  EXPECT_EQ(Steps(cdRom.drive()), (std::vector<int>{2, 3, 5, 6}));
  SimulatedSpeedDrive rz6120(Rz6120Drive());
  EXPECT_EQ(Steps(rz6120.drive()), (std::vector<int>{0, 1, 2, 3, 4}));
  SimulatedSpeedDrive other(OtherMakersDrive());
  EXPECT_EQ(Steps(other.drive()), std::vector<int>{});
}

struct NameCase {
  DriveType type;
  int step;
  const char* spaced;
  const char* compact;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << "type " << c.type << ", step " << c.step;
}

class ReadSpeedNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ReadSpeedNameTest, NamesTheStepInBothForms) {
  SimulatedSpeedDrive rig(CdRomDrive());
  const NameCase& c = GetParam();
  SpeedName spaced{};
  SpeedName compact{};
  ReadSpeedName(rig.driveAsType(c.type), c.step, spaced);
  ReadSpeedNameCompact(rig.driveAsType(c.type), c.step, compact);
  EXPECT_EQ(Text(spaced), c.spaced);
  EXPECT_EQ(Text(compact), c.compact);
  EXPECT_EQ(rig.SentCdbs(), (Cdbs{kInquiryCdb, kInquiryCdb}));
}

INSTANTIATE_TEST_SUITE_P(
    Models, ReadSpeedNameTest,
    ::testing::Values(
        // Type 17: the listed steps, and steps below 2 named as step 2 in the spaced form only.
        NameCase{17, 2, "4 X CLV", "4X CLV"}, NameCase{17, 3, "8 X CLV", "8X CLV"},
        NameCase{17, 5, "14-32 X CAV", "14-32X CAV"}, NameCase{17, 6, "17-40 X CAV", "17-40X CAV"},
        NameCase{17, 0, "4 X CLV", "1X CLV"}, NameCase{17, 1, "4 X CLV", "2X CLV"},
        NameCase{17, -1, "4 X CLV", "???"},
        // Type 18 has names of its own; a step beyond the last is named as the last.
        NameCase{18, 0, "1 X CLV", "1X CLV"}, NameCase{18, 1, "4 X CLV", "4X CLV"},
        NameCase{18, 2, "8 X CLV", "8X CLV"}, NameCase{18, 3, "9-20 X CAV", "9-20X CAV"},
        NameCase{18, 4, "14-32 X CAV", "14-32X CAV"}, NameCase{18, 9, "14-32 X CAV", "14-32X CAV"},
        NameCase{19, 4, "14-32 X CAV", "14-32X CAV"},
        // Types 10 and 13 (with 15 and 16) too.
        NameCase{10, 3, "8-12 X P-CAV", "8-12X P-CAV"},
        NameCase{10, 6, "8-12 X P-CAV", "8-12X P-CAV"}, NameCase{10, 1, "4 X CLV", "4X CLV"},
        NameCase{13, 3, "9-20 X CAV", "9-20X CAV"}, NameCase{15, 2, "8 X CLV", "8X CLV"},
        NameCase{16, 3, "9-20 X CAV", "9-20X CAV"},
        // Type 3's step 3 is its "max" name.
        NameCase{3, 3, "6 X CLV", "6X CLV"}, NameCase{3, 1, "2 X CLV", "2X CLV"},
        // The "res" and "max" entries of the generic table by model.
        NameCase{7, 5, "8 X CLV", "8X CLV"}, NameCase{7, 6, "12-20 X P-CAV", "12-20X P-CAV"},
        NameCase{8, 5, "8-20 X CAV", "8-20X CAV"}, NameCase{9, 6, "14-32 X CAV", "14-32X CAV"},
        NameCase{12, 5, "10-20 X P-CAV", "10-20X P-CAV"},
        NameCase{14, 6, "17-40 X CAV", "17-40X CAV"}, NameCase{5, 5, "12 X CLV", "12X CLV"},
        NameCase{6, 6, "12 X CLV", "12X CLV"}, NameCase{11, 3, "8 X CLV", "8X CLV"},
        NameCase{4, 4, "8 X CLV", "8X CLV"}, NameCase{2, 6, "4 X CLV", "4X CLV"},
        NameCase{0, 0, "1 X CLV", "1X CLV"}, NameCase{1, 1, "2 X CLV", "2X CLV"},
        // A negative step names nothing; a drive of no known model is "unknown".
        NameCase{4, -1, "???", "???"}, NameCase{18, -3, "???", "???"},
        NameCase{-1, 2, "unknown", "unknown"}, NameCase{-2, 0, "unknown", "unknown"}));

TEST(ReadSpeedNameTest, AnotherMakersDriveIsUnknown) {
  SimulatedSpeedDrive rig(OtherMakersDrive());
  SpeedName name{};
  ReadSpeedName(rig.drive(), 2, name);
  EXPECT_EQ(Text(name), "unknown");
  ReadSpeedNameCompact(rig.drive(), 2, name);
  EXPECT_EQ(Text(name), "unknown");
}

// --- SetSpeedByCode ----------------------------------------------------------------------------

struct CodeCase {
  DriveType type;
  int code;
  std::vector<std::string> cdbs;      // after the routine's own INQUIRY
  std::vector<std::string> dataOuts;  // of the data-out commands, in order
};

void PrintTo(const CodeCase& c, std::ostream* os) {
  *os << "type " << c.type << ", code " << c.code;
}

class SetSpeedByCodeTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(SetSpeedByCodeTest, SendsTheSpeedOfTheCode) {
  SimulatedSpeedDrive rig(CdRDrive());
  const CodeCase& c = GetParam();
  EXPECT_EQ(SetSpeedByCode(rig.driveAsType(c.type), c.code), 1);
  const std::vector<LoggedCommand> sent = rig.Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0].cdb, kInquiryCdb);
  Cdbs cdbs;
  Cdbs dataOuts;
  for (std::size_t i = 1; i < sent.size(); ++i) {
    cdbs.push_back(sent[i].cdb);
    if (sent[i].direction == "out") dataOuts.push_back(sent[i].dataOut);
    EXPECT_EQ(sent[i].status, 1) << sent[i].cdb;
  }
  EXPECT_EQ(cdbs, c.cdbs);
  EXPECT_EQ(dataOuts, c.dataOuts);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, SetSpeedByCodeTest,
    ::testing::Values(
        CodeCase{19, 0, {"BB 00 00 B0 FF FF 00 00 00 00 00 00"}, {}},
        CodeCase{19, 1, {"BB 00 02 C2 FF FF 00 00 00 00 00 00"}, {}},
        CodeCase{19, 2, {"BB 00 05 83 FF FF 00 00 00 00 00 00"}, {}},
        CodeCase{19, 3, {"BB 00 0D C8 FF FF 00 00 00 00 00 00"}, {}},  // 3528 kB/s
        CodeCase{16, 4, {"BB 00 16 0D FF FF 00 00 00 00 00 00"}, {}},  // 5645 kB/s
        CodeCase{19, 5, {"BB 00 FF FF FF FF 00 00 00 00 00 00"}, {}},
        CodeCase{19, 7, {"BB 00 FF FF FF FF 00 00 00 00 00 00"}, {}},
        CodeCase{19, 23, {"BB 00 FF FF FF FF 00 00 00 00 00 00"}, {}},  // low 4 bits: 7
        CodeCase{19, 19, {"BB 00 0D C8 FF FF 00 00 00 00 00 00"}, {}},  // low 4 bits: 3
        CodeCase{17, 3, {"BB 00 0D C8 FF FF 00 00 00 00 00 00"}, {}},
        // Type 10: page 0x01 first, with page byte 5 = 0 and 2117 kB/s for code 3 only.
        CodeCase{10,
                 3,
                 {kInquiryCdb, "15 00 00 00 0C 00", "BB 00 08 45 FF FF 00 00 00 00 00 00"},
                 {"00 00 00 00 01 06 00 00 00 00 00 00"}},
        CodeCase{10,
                 2,
                 {kInquiryCdb, "15 00 00 00 0C 00", "BB 00 05 83 FF FF 00 00 00 00 00 00"},
                 {"00 00 00 00 01 06 00 00 00 03 00 00"}},
        CodeCase{10,
                 19,
                 {kInquiryCdb, "15 00 00 00 0C 00", "BB 00 08 45 FF FF 00 00 00 00 00 00"},
                 {"00 00 00 00 01 06 00 00 00 00 00 00"}}));

TEST(SetSpeedByCodeTest, Type10StopsWhenThePageIsRefused) {
  SimulatedSpeedDrive rig(
      json{{"vendor", "KORVEL"},
           {"product", "CD-R            "},
           {"faults", {{{"opcode", "0x15"}, {"status", 2}, {"sense", "05/26/00"}}}}});
  const std::int32_t status = SetSpeedByCode(rig.driveAsType(10), 2);
  EXPECT_NE(status, 1);
  EXPECT_EQ(rig.SentCdbs(), (Cdbs{kInquiryCdb, kInquiryCdb, "15 00 00 00 0C 00"}));
}

// --- Current speed indexes ---------------------------------------------------------------------

// A capabilities page with read and write maxima of 0x2000 kB/s and the given current speeds.
json DriveRunningAt(const json& base, unsigned read, unsigned write) {
  char page[100];
  std::snprintf(page, sizeof page,
                "2A 14 03 01 70 71 29 00 20 00 01 00 08 00 %02X %02X 00 00 20 00 %02X %02X",
                read >> 8, read & 0xFF, write >> 8, write & 0xFF);
  json target = base;
  target["mode_pages"] = {{"2A", page}};
  return target;
}

struct IndexCase {
  unsigned rate;
  int readIndex;
  int writeIndex;
  const char* writeName;
};

void PrintTo(const IndexCase& c, std::ostream* os) {
  *os << "rate " << c.rate;
}

class CurrentSpeedIndexTest : public ::testing::TestWithParam<IndexCase> {};

TEST_P(CurrentSpeedIndexTest, ReadsPage2AInBothLayouts) {
  const IndexCase& c = GetParam();
  for (const json& base : {CdRDrive(), Rz6120Drive()}) {
    SimulatedSpeedDrive rig(DriveRunningAt(base, c.rate, c.rate));
    const bool tenByte = base == Rz6120Drive();
    const std::string modeSense = tenByte ? "5A 00 2A 00 00 00 00 00 22 00" : "1A 00 2A 00 22 00";
    std::uint8_t index = 99;
    EXPECT_EQ(CurrentReadSpeedIndex(rig.drive(), index), 1);
    EXPECT_EQ(index, c.readIndex) << c.rate;
    EXPECT_EQ(CurrentWriteSpeedIndex(rig.drive(), index), 1);
    EXPECT_EQ(index, c.writeIndex) << c.rate;
    SpeedName name{};
    EXPECT_EQ(CurrentWriteSpeedName(rig.drive(), name), 1);
    EXPECT_EQ(Text(name), c.writeName);
    EXPECT_EQ(rig.SentCdbs(),
              (Cdbs{kInquiryCdb, modeSense, kInquiryCdb, modeSense, kInquiryCdb, modeSense}));
  }
}

INSTANTIATE_TEST_SUITE_P(Rates, CurrentSpeedIndexTest,
                         ::testing::Values(IndexCase{176, 0, 0, "1X"}, IndexCase{353, 4, 1, "2X"},
                                           IndexCase{706, 1, 2, "4X"}, IndexCase{1411, 2, 3, "8X"},
                                           IndexCase{2117, 3, 4, "???"},
                                           IndexCase{3528, 3, 4, "???"},
                                           IndexCase{5645, 4, 4, "???"},
                                           IndexCase{0, 4, 4, "???"}));

TEST(CurrentSpeedIndexTest, AFailedModeSenseStillStoresAnIndex) {
  SimulatedSpeedDrive rig(
      json{{"vendor", "KORVEL"},
           {"product", "CD-R            "},
           {"faults", {{{"opcode", "0x1A"}, {"status", 2}, {"sense", "02/3A/00"}}}}});
  std::uint8_t index = 99;
  EXPECT_NE(CurrentReadSpeedIndex(rig.drive(), index), 1);
  EXPECT_EQ(index, kOtherSpeedIndex);
  SpeedName name{};
  EXPECT_NE(CurrentWriteSpeedName(rig.drive(), name), 1);
  EXPECT_EQ(Text(name), "???");
}

// --- Reading and setting the step --------------------------------------------------------------

TEST(ReadSpeedStepTest, Type17TakesPage31AndReadsItBack) {
  SimulatedSpeedDrive rig(CdRomDrive());
  // Step 2 is the first setting whose code is 2: setting 5.
  EXPECT_EQ(SetReadSpeedStep(rig.drive(), 2), 1);
  const std::vector<LoggedCommand> set = rig.Sent();
  ASSERT_EQ(set.size(), 4u);
  EXPECT_EQ(set[0].cdb, kInquiryCdb);  // SetReadSpeedStep
  EXPECT_EQ(set[1].cdb, kInquiryCdb);  // SelectSpeedSetting
  EXPECT_EQ(set[2].cdb, kInquiryCdb);  // ModeSelectCompat
  EXPECT_EQ(set[3].cdb, "15 00 00 00 08 00");
  EXPECT_EQ(set[3].dataOut, "00 00 00 00 31 02 05 00");

  std::uint8_t step = 0;
  EXPECT_EQ(GetReadSpeedStep(rig.drive(), step), 1);
  EXPECT_EQ(step, 2);
  EXPECT_EQ(rig.SentCdbs(), (Cdbs{kInquiryCdb, kInquiryCdb, kInquiryCdb, "1A 00 31 00 10 00"}));

  // The drive runs at its setting 5's speed, 20x, which page 0x2A shows as index 3.
  std::uint8_t index = 0;
  EXPECT_EQ(CurrentReadSpeedIndex(rig.drive(), index), 1);
  EXPECT_EQ(index, 3);
}

TEST(ReadSpeedStepTest, Type17StepsWithoutASettingFallToTheLastSetting) {
  SimulatedSpeedDrive rig(CdRomDrive());
  // No setting of type 17 stands for step 5: setting 6, which reads back as step 3.
  EXPECT_EQ(SetReadSpeedStep(rig.drive(), 5), 1);
  EXPECT_EQ(rig.Sent().back().dataOut, "00 00 00 00 31 02 06 00");
  std::uint8_t step = 0;
  EXPECT_EQ(GetReadSpeedStep(rig.drive(), step), 1);
  EXPECT_EQ(step, 3);
}

struct SetCdSpeedStepCase {
  const char* name;
  json drive;
  DriveType type;  // -100: as the product table says
  int step;
  std::string setCdSpeed;
};

void PrintTo(const SetCdSpeedStepCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class SetCdSpeedStepTest : public ::testing::TestWithParam<SetCdSpeedStepCase> {};

TEST_P(SetCdSpeedStepTest, SetsAndReadsTheStepThroughPage2A) {
  const SetCdSpeedStepCase& c = GetParam();
  SimulatedSpeedDrive rig(c.drive);
  const SpeedDrive drive = c.type == -100 ? rig.drive() : rig.driveAsType(c.type);
  EXPECT_EQ(SetReadSpeedStep(drive, c.step), 1);
  EXPECT_EQ(rig.Sent().back().cdb, c.setCdSpeed);
  std::uint8_t step = 255;
  EXPECT_EQ(GetReadSpeedStep(drive, step), 1);
  EXPECT_EQ(step, c.step);
  const Cdbs got = rig.SentCdbs();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back().substr(0, 8), c.drive == Rz6120Drive() ? "5A 00 2A" : "1A 00 2A");
}

INSTANTIATE_TEST_SUITE_P(
    Models, SetCdSpeedStepTest,
    ::testing::Values(
        SetCdSpeedStepCase{"Rz5140Step2", Rz5140Drive(), -100, 2,
                           "BB 00 05 83 FF FF 00 00 00 00 00 00"},
        SetCdSpeedStepCase{"Rz6120Step1", Rz6120Drive(), -100, 1,
                           "BB 00 02 C2 FF FF 00 00 00 00 00 00"},
        // 5645 kB/s is beyond the drive's 4234: it runs at 4234, index 4, step 4.
        SetCdSpeedStepCase{"Rz6120Step4", Rz6120Drive(), -100, 4,
                           "BB 00 16 0D FF FF 00 00 00 00 00 00"},
        SetCdSpeedStepCase{"CdRType19Step0", CdRDrive(), -100, 0,
                           "BB 00 00 B0 FF FF 00 00 00 00 00 00"},
        SetCdSpeedStepCase{"Type10Step3", CdRDrive(), 10, 3, "BB 00 08 45 FF FF 00 00 00 00 00 00"},
        SetCdSpeedStepCase{"Type11Step1", CdRDrive(), 11, 1, "BB 00 02 C2 FF FF 00 00 00 00 00 00"},
        SetCdSpeedStepCase{"Type13Step2", CdRDrive(), 13, 2, "BB 00 05 83 FF FF 00 00 00 00 00 00"},
        SetCdSpeedStepCase{"Type15Step3", CdRDrive(), 15, 3,
                           "BB 00 0D C8 FF FF 00 00 00 00 00 00"}),
    [](const ::testing::TestParamInfo<SetCdSpeedStepCase>& info) { return info.param.name; });

struct VendorPageStepCase {
  DriveType type;
  int step;
  int setting;
  int stepReadBack;
};

void PrintTo(const VendorPageStepCase& c, std::ostream* os) {
  *os << "type " << c.type << ", step " << c.step;
}

class VendorPageStepTest : public ::testing::TestWithParam<VendorPageStepCase> {};

TEST_P(VendorPageStepTest, SendsTheSettingInPage31) {
  const VendorPageStepCase& c = GetParam();
  SimulatedSpeedDrive rig(CdRomDrive());
  EXPECT_EQ(SetReadSpeedStep(rig.driveAsType(c.type), c.step), 1);
  char list[40];
  std::snprintf(list, sizeof list, "00 00 00 00 31 02 %02X 00", c.setting);
  const LoggedCommand last = rig.Sent().back();
  EXPECT_EQ(last.cdb, "15 00 00 00 08 00");
  EXPECT_EQ(last.dataOut, list);
  std::uint8_t step = 255;
  EXPECT_EQ(GetReadSpeedStep(rig.driveAsType(c.type), step), 1);
  EXPECT_EQ(step, c.stepReadBack);
}

INSTANTIATE_TEST_SUITE_P(
    Models, VendorPageStepTest,
    ::testing::Values(VendorPageStepCase{0, 1, 1, 1}, VendorPageStepCase{3, 2, 3, 2},
                      // Type 3 has no setting for its step 3.
                      VendorPageStepCase{3, 3, 6, 2}, VendorPageStepCase{5, 4, 5, 4},
                      VendorPageStepCase{7, 4, 6, 4}, VendorPageStepCase{9, 5, 6, 5},
                      VendorPageStepCase{12, 3, 3, 3}, VendorPageStepCase{14, 0, 0, 0}));

TEST(ReadSpeedSettingTest, Type11ReadsPage31ThoughItsStepComesFromPage2A) {
  SimulatedSpeedDrive rig(CdRomDrive());
  std::uint8_t setting = 99;
  EXPECT_EQ(ReadSpeedSetting(rig.driveAsType(11), setting), 1);
  EXPECT_EQ(setting, 0);
  EXPECT_EQ(rig.SentCdbs(), (Cdbs{kInquiryCdb, kInquiryCdb, "1A 00 31 00 10 00"}));
  std::uint8_t step = 99;
  EXPECT_EQ(GetReadSpeedStep(rig.driveAsType(11), step), 1);
  EXPECT_EQ(rig.SentCdbs(), (Cdbs{kInquiryCdb, kInquiryCdb, "1A 00 2A 00 22 00"}));
}

TEST(ReadSpeedSettingTest, ASettingBeyondTheTypesStepsReadsAsItsLast) {
  json drive = CdRomDrive();
  drive["mode_pages"] = {{"31", "31 02 06 00"}};
  SimulatedSpeedDrive rig(drive);
  std::uint8_t setting = 99;
  EXPECT_EQ(ReadSpeedSetting(rig.driveAsType(4), setting), 1);
  EXPECT_EQ(setting, 3);
  // Type 0 has 3 steps: setting 2, code 2.
  std::uint8_t step = 99;
  EXPECT_EQ(GetReadSpeedStep(rig.driveAsType(0), step), 1);
  EXPECT_EQ(step, 2);
}

TEST(ReadSpeedStepTest, AFailedCommandGivesStep255) {
  SimulatedSpeedDrive rig(
      json{{"vendor", "KORVEL"},
           {"product", "CD-ROM          "},
           {"faults", {{{"opcode", "0x1A"}, {"status", 2}, {"sense", "02/04/01"}}}}});
  std::uint8_t step = 0;
  EXPECT_NE(GetReadSpeedStep(rig.drive(), step), 1);
  EXPECT_EQ(step, kUnknownSpeedStep);
}

TEST(ReadSpeedStepTest, ADriveOfNoKnownModelGetsNothingButTheInquiry) {
  SimulatedSpeedDrive rig(OtherMakersDrive());
  std::uint8_t step = 0;
  EXPECT_EQ(GetReadSpeedStep(rig.drive(), step), kStatusNoSpeedTable);
  EXPECT_EQ(step, kUnknownSpeedStep);
  EXPECT_EQ(SetReadSpeedStep(rig.drive(), 2), kStatusNoSpeedTable);
  std::uint8_t setting = 0;
  EXPECT_EQ(ReadSpeedSetting(rig.drive(), setting), kStatusNoSpeedTable);
  EXPECT_EQ(SelectSpeedSetting(rig.drive(), 2), kStatusNoSpeedTable);
  EXPECT_EQ(rig.SentCdbs(), (Cdbs{kInquiryCdb, kInquiryCdb, kInquiryCdb, kInquiryCdb}));

  // A maker's drive in no product row (type -2) the same.
  SimulatedSpeedDrive unknown(json{{"vendor", "KORVEL"}, {"product", "CD-RW  RZ9999   "}});
  EXPECT_EQ(GetReadSpeedStep(unknown.drive(), step), kStatusNoSpeedTable);
  EXPECT_EQ(unknown.SentCdbs(), Cdbs{kInquiryCdb});
}

TEST(SelectSpeedSettingTest, ModelsThatTakeSpeedCodesGetSettingPlus16) {
  SimulatedSpeedDrive rig(CdRDrive());
  // Type 19: code 18, low 4 bits 2, 1411 kB/s; type 10: code 2 through page 0x01.
  EXPECT_EQ(SelectSpeedSetting(rig.drive(), 2), 1);
  EXPECT_EQ(rig.SentCdbs(),
            (Cdbs{kInquiryCdb, kInquiryCdb, "BB 00 05 83 FF FF 00 00 00 00 00 00"}));
  EXPECT_EQ(SelectSpeedSetting(rig.driveAsType(10), 2), 1);
  EXPECT_EQ(rig.SentCdbs(), (Cdbs{kInquiryCdb, kInquiryCdb, kInquiryCdb, "15 00 00 00 0C 00",
                                  "BB 00 05 83 FF FF 00 00 00 00 00 00"}));
}

TEST(SelectSpeedSettingTest, ASettingTheDriveDoesNotHaveIsRefusedWithItsSense) {
  SimulatedSpeedDrive rig(CdRomDrive());
  EXPECT_NE(SelectSpeedSetting(rig.drive(), 7), 1);
  const LoggedCommand last = rig.Sent().back();
  EXPECT_EQ(last.dataOut, "00 00 00 00 31 02 07 00");
  EXPECT_EQ(last.sense.substr(0, 8), "70 00 05");
}

TEST(SelectSpeedSettingTest, Type18SendsPage31WithModeSelect10) {
  // Type 18 never selects page 0x31 itself; a type taking the page on a type 18 drive does,
  // converted to the 10-byte list.
  SimulatedSpeedDrive rig(Rz6120Drive());
  EXPECT_EQ(SelectSpeedSetting(rig.driveAsType(17), 3), 1);
  const LoggedCommand last = rig.Sent().back();
  EXPECT_EQ(last.cdb, "55 00 00 00 00 00 00 00 0C 00");
  EXPECT_EQ(last.dataOut, "00 04 00 00 00 00 00 00 31 02 03 00");
}

}  // namespace
}  // namespace korvel::drive
