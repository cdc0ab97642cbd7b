#include "upgrade/UpgradeDialogModel.h"

#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "formats/SampleImage.h"
#include "upgrade/FirmwareVersion.h"

namespace korvel::upgrade {
namespace {

using testing::kFormatAProduct;
using testing::kFormatBProduct;
using testing::kInquiry;
using testing::kReadDriveMemory;
using testing::kRequestSense;
using testing::kTestUnitReady;
using Texts = testing::FakeWindow::Texts;

class DialogStartTest : public testing::ModelFixture {};

TEST_F(DialogStartTest, NoTransportShowsTheErrorClosesAndScansNothing) {
  startValue = 0;
  EXPECT_FALSE(model.OnInitDialog());
  ASSERT_EQ(window.errors.size(), 1u);
  EXPECT_EQ(window.errors[0].first, "ERROR: ASPI Layer for Win32 is not initialized!");
  EXPECT_EQ(window.errors[0].second, "ERROR!");
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(window.closeRequests, 1);
  EXPECT_TRUE(host.sent().empty());
  EXPECT_TRUE(window.driveItems.empty());
}

TEST_F(DialogStartTest, NoAdapterInTheLowByteScansNothingAndDisablesTheBox) {
  startValue = 0x0300;
  EXPECT_TRUE(model.OnInitDialog());
  EXPECT_TRUE(window.errors.empty());
  EXPECT_TRUE(host.sent().empty());
  EXPECT_FALSE(window.enabled[kDriveCombo]);
  EXPECT_TRUE(window.enabled[kLoadFileButton]);
  EXPECT_FALSE(window.enabled[kUpgradeButton]);
  EXPECT_TRUE(window.refreshes.empty());
  EXPECT_EQ(session.DriveCount, 0);
}

TEST_F(DialogStartTest, ListsTheMakersDrivesInAdapterOrderAndSelectsTheFirst) {
  host.Drive(0, 1).vendor = "korvel  ";  // wrong case
  host.Drive(0, 3).vendor = "KORVELXY";  // not followed by two blanks
  host.Drive(1, 2).product = kFormatBProduct;
  ASSERT_TRUE(model.OnInitDialog());

  EXPECT_EQ(window.driveItems, (std::vector<std::string>{kFormatBProduct, kFormatAProduct,
                                                         kFormatBProduct, testing::kCdRomProduct}));
  ASSERT_EQ(session.DriveCount, 4);
  EXPECT_EQ(session.DriveList[0], (transport::DeviceAddress{0, 2}));
  EXPECT_EQ(session.DriveList[1], (transport::DeviceAddress{1, 1}));
  EXPECT_EQ(session.DriveList[2], (transport::DeviceAddress{1, 2}));
  EXPECT_EQ(session.DriveList[3], (transport::DeviceAddress{1, 5}));
  EXPECT_EQ(window.selectedItem, 0);
  EXPECT_EQ(session.SelectedDrive, 0);
  EXPECT_EQ(window.shown(),
            (Texts{"0", "2", "1.00", "Please select an upgrade file for this drive."}));
  EXPECT_EQ(host.kernel.debugOutput, (std::vector<std::string>{"Korveltype 16\r\n"}));
  // Two adapters of 16 targets each asked once, the maker's drives once more, then the
  // selection's four commands.
  const auto opcodes = testing::Opcodes(host.sent());
  ASSERT_EQ(opcodes.size(), 32u + 4u + 4u);
  EXPECT_EQ(std::vector<std::uint8_t>(opcodes.end() - 4, opcodes.end()),
            (std::vector<std::uint8_t>{kTestUnitReady, kRequestSense, kInquiry, kInquiry}));
}

TEST_F(DialogStartTest, PastThirtyTwoDrivesTheListAndTheBoxStayInStep) {
  startValue = 3;
  for (int adapter = 0; adapter < 3; ++adapter) {
    for (int target = 0; target < 16; ++target) host.Drive(adapter, target) = testing::FakeDrive{};
  }
  ASSERT_TRUE(model.OnInitDialog());
  EXPECT_EQ(session.DriveCount, 32);
  EXPECT_EQ(window.driveItems.size(), 32u);
  EXPECT_EQ(session.DriveList[31], (transport::DeviceAddress{1, 15}));
}

struct SelectionCase {
  const char* product;
  int traceType;
  bool loadFileEnabled;
  const char* statusText;
};

void PrintTo(const SelectionCase& test, std::ostream* out) {
  *out << test.product;
}

class DriveSelectionTest : public testing::ModelFixture,
                           public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(DriveSelectionTest, SetsTheControlsForTheModel) {
  const SelectionCase& test = GetParam();
  host.Drive(0, 2).product = test.product;
  host.Drive(0, 2).revision = "2.31";
  ASSERT_TRUE(model.OnInitDialog());
  // Upgrade was enabled by a valid load on another drive: any selection disables it.
  window.enabled[kUpgradeButton] = true;
  host.sent().clear();
  host.kernel.debugOutput.clear();
  model.SelectDrive(0);

  EXPECT_EQ(testing::Opcodes(host.sent()),
            (std::vector<std::uint8_t>{kTestUnitReady, kRequestSense, kInquiry, kInquiry}));
  EXPECT_EQ(host.sent()[1].cdb, (std::vector<std::uint8_t>{0x03, 0, 0, 0, 18, 0}));
  EXPECT_EQ(host.sent()[1].length, 18u);
  EXPECT_FALSE(window.enabled[kUpgradeButton]);
  EXPECT_EQ(window.enabled[kLoadFileButton], test.loadFileEnabled);
  EXPECT_EQ(window.shown(), (Texts{"0", "2", "2.31", test.statusText}));
  EXPECT_EQ(host.kernel.debugOutput,
            (std::vector<std::string>{"Korveltype " + std::to_string(test.traceType) + "\r\n"}));
}

INSTANTIATE_TEST_SUITE_P(
    Models, DriveSelectionTest,
    ::testing::Values(SelectionCase{testing::kFormatBProduct, 16, true,
                                    "Please select an upgrade file for this drive."},
                      SelectionCase{testing::kFormatAProduct, 18, true,
                                    "Please select an upgrade file for this drive."},
                      SelectionCase{testing::kPlainCdRProduct, 19, true,
                                    "Please select an upgrade file for this drive."},
                      SelectionCase{testing::kCdRomProduct, 17, true,
                                    "Please select an upgrade file for this drive."},
                      SelectionCase{"DVD-RAM         ", -2, false,
                                    "!! No upgradable Korvel device is selected !!"}));

TEST_F(DialogStartTest, ADriveWhoseTypeInquiryFailsIsListedButNotUpgradable) {
  // The scan's INQUIRY succeeds, the one of DriveTypeOf does not.
  host.Drive(0, 2).inquiriesAnswered = 1;
  ASSERT_TRUE(model.OnInitDialog());
  EXPECT_EQ(window.driveItems.front(), testing::kFormatBProduct);
  EXPECT_FALSE(window.enabled[kLoadFileButton]);
  EXPECT_EQ(window.shown(),
            (Texts{"0", "2", "???", "!! No upgradable Korvel device is selected !!"}));
  EXPECT_EQ(host.kernel.debugOutput.front(), "Korveltype -1\r\n");
}

TEST_F(DialogStartTest, ASelectionOutsideTheListChangesNothing) {
  ASSERT_TRUE(model.OnInitDialog());
  host.sent().clear();
  const std::size_t refreshes = window.refreshes.size();
  model.SelectDrive(-1);
  model.SelectDrive(session.DriveCount);
  EXPECT_TRUE(host.sent().empty());
  EXPECT_EQ(window.refreshes.size(), refreshes);
  EXPECT_EQ(session.SelectedDrive, 0);
}

TEST_F(DialogStartTest, TheCloseRequestStopsTheTransportThenEndsTheDialog) {
  ASSERT_TRUE(model.OnInitDialog());
  model.OnCloseRequest();
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(window.closeRequests, 1);
}

// The model that keeps its version in drive memory (type 11 of the product table) takes the
// version from there, also when INQUIRY succeeded.
TEST_F(DialogStartTest, TheMemoryModelsVersionComesFromDriveMemory) {
  host.Drive(0, 2).memory4 = {'V', '2', '.', '1'};
  const transport::DeviceAddress address{0, 2};
  EXPECT_EQ(FirmwareVersionOfType(host.transport, address, 11, "1.00"), "V2.1");
  ASSERT_EQ(host.sent().size(), 1u);
  EXPECT_EQ(host.sent()[0].cdb,
            (std::vector<std::uint8_t>{0xE3, 0, 0x00, 0x10, 0x01, 0x98, 0, 0, 0, 4, 0, 0}));
  EXPECT_EQ(host.sent()[0].length, 4u);
  EXPECT_FALSE(host.sent()[0].dataOut);

  host.Drive(0, 2).fails = [](const testing::SentCommand& command, int) {
    return command.cdb[0] == kReadDriveMemory;
  };
  EXPECT_EQ(FirmwareVersionOfType(host.transport, address, 11, "1.00"), "???");
  host.sent().clear();
  EXPECT_EQ(FirmwareVersionOfType(host.transport, address, 16, "1.00"), "1.00");
  EXPECT_TRUE(host.sent().empty());
}

class LoadFileTest : public testing::ModelFixture {
 protected:
  void SetUp() override {
    host.files.files["C:\\FW\\B.BIN"] = formats::MakeSampleImage(formats::kFormatB, "1.30", 1);
    host.files.files["C:\\FW\\A.BIN"] = formats::MakeSampleImage(formats::kFormatA, "1.30", 1);
  }
};

TEST_F(LoadFileTest, AValidFileEnablesUpgradeAndAWrongOneDisablesIt) {
  OpenAndSelect(0, 2);
  Load("C:\\FW\\B.BIN");
  EXPECT_TRUE(window.enabled[kUpgradeButton]);
  EXPECT_EQ(window.shown().status, "Valid upgrade file loaded: B.BIN");
  EXPECT_EQ(session.UpgradeImage, "C:\\FW\\B.BIN");
  // A fresh INQUIRY decides the format.
  EXPECT_EQ(testing::Opcodes(host.sent()), (std::vector<std::uint8_t>{kInquiry}));
  ASSERT_EQ(window.fileRequests.size(), 1u);
  EXPECT_STREQ(window.fileRequests[0].defaultExtension, "BIN");
  EXPECT_STREQ(window.fileRequests[0].filter, "Upgrade Files (*.bin)|*.bin|All Files (*.*)|*.*||");

  Load("C:\\FW\\A.BIN");
  EXPECT_FALSE(window.enabled[kUpgradeButton]);
  EXPECT_EQ(window.shown().status, "! This file is not a valid upgrade file for this drive !");
  EXPECT_EQ(session.UpgradeImage, "C:\\FW\\A.BIN");
}

TEST_F(LoadFileTest, ACancelAfterAValidLoadKeepsUpgradeEnabledAndEmptiesThePath) {
  OpenAndSelect(0, 2);
  Load("C:\\FW\\B.BIN");
  const std::size_t refreshes = window.refreshes.size();
  window.fileAnswers.push_back(std::nullopt);
  model.OnLoadFile();
  EXPECT_TRUE(window.enabled[kUpgradeButton]);
  EXPECT_TRUE(session.UpgradeImage.empty());
  EXPECT_EQ(window.refreshes.size(), refreshes);
}

TEST_F(LoadFileTest, AModelWithoutAFormatOpensNoFileAndKeepsTheStatus) {
  host.Drive(0, 2).product = testing::kPlainCdRProduct;
  OpenAndSelect(0, 2);
  Load("C:\\FW\\B.BIN");
  EXPECT_TRUE(host.files.opens.empty());
  EXPECT_FALSE(window.enabled[kUpgradeButton]);
  EXPECT_EQ(window.shown().status, "Please select an upgrade file for this drive.");
}

TEST_F(LoadFileTest, FilesThatCannotBeCheckedLeaveUpgradeDisabled) {
  OpenAndSelect(0, 2);
  host.files.heldByOther.insert("C:\\FW\\B.BIN");
  Load("C:\\FW\\B.BIN");
  EXPECT_FALSE(window.enabled[kUpgradeButton]);
  EXPECT_EQ(window.shown().status, "! This file is not a valid upgrade file for this drive !");

  Load("C:\\FW\\TYPED.BIN");
  EXPECT_EQ(session.UpgradeImage, "C:\\FW\\TYPED.BIN");
  EXPECT_FALSE(window.enabled[kUpgradeButton]);
  EXPECT_EQ(window.shown().status, "! This file is not a valid upgrade file for this drive !");
}

TEST_F(LoadFileTest, APathOfOneCharacterIsStoredButNotChecked) {
  OpenAndSelect(0, 2);
  const std::size_t refreshes = window.refreshes.size();
  Load("X");
  EXPECT_EQ(session.UpgradeImage, "X");
  EXPECT_TRUE(host.files.opens.empty());
  EXPECT_TRUE(host.sent().empty());
  EXPECT_EQ(window.refreshes.size(), refreshes);
}

TEST_F(LoadFileTest, WithNoDriveFoundTheLoadAsksAddressZeroZero) {
  host.drives->drives.clear();
  ASSERT_TRUE(model.OnInitDialog());
  host.sent().clear();
  Load("C:\\FW\\B.BIN");
  ASSERT_EQ(host.sent().size(), 1u);
  EXPECT_EQ(host.sent()[0].adapter, 0);
  EXPECT_EQ(host.sent()[0].target, 0);
  EXPECT_TRUE(host.files.opens.empty());
  EXPECT_FALSE(window.enabled[kUpgradeButton]);
}

}  // namespace
}  // namespace korvel::upgrade

namespace korvel::upgrade {
namespace {

// The product table gives no drive type 11, so no scan of an emulated drive reaches this rule.
TEST(DriveItemTextTest, TheMemoryModelIsListedAsCdRAndEveryOtherByItsProduct) {
  struct Case {
    drive::DriveType type;
    const char* product;
    const char* expected;
  };
  const Case cases[] = {
      {11, "CD-ROM          ", "CD-R   "},          {16, "CD-R   RZ5140   ", "CD-R   RZ5140   "},
      {17, "CD-ROM          ", "CD-ROM          "}, {-1, "cd-r   rz5140   ", "cd-r   rz5140   "},
      {10, "CD-R            ", "CD-R            "},
  };
  for (const Case& c : cases) {
    drive::FoundDrive found{};
    found.type = c.type;
    std::snprintf(found.info.product, sizeof found.info.product, "%s", c.product);
    EXPECT_EQ(DriveItemText(found), c.expected) << "type " << c.type;
  }
}

}  // namespace
}  // namespace korvel::upgrade
