// The main window driven through its real widgets on simulated PCs.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "DialogRig.h"
#include "app/AboutDialog.h"
#include "app/DialogTemplates.h"
#include "formats/SampleImage.h"
#include "formats/UpgradeFileFormat.h"
#include "upgrade/StatusTexts.h"

namespace korvel::app::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Two adapters; target 3 is used on both. Devices that spell the maker differently sit between
// the maker's drives.
constexpr char kMixedBusScenario[] = R"json({
  "os": "win98",
  "aspi": {"installed": true, "completion": "immediate"},
  "adapters": [
    {"id": 0, "driver": "a", "manager": "m", "targets": [
      {"id": 1, "vendor": "korvel  ", "product": "CD-R   RZ5140   ", "revision": "1.00"},
      {"id": 2, "vendor": "KORVELAB", "product": "CD-R   RZ5140   ", "revision": "1.00"},
      {"id": 3, "vendor": "KORVEL  ", "product": "CD-R   RZ6120   ", "revision": "2.00"},
      {"id": 9, "vendor": "KORVEL  ", "product": "ODD PRODUCT     ", "revision": "0.01"}
    ]},
    {"id": 1, "driver": "b", "manager": "m", "targets": [
      {"id": 0, "vendor": "KORVEL  ", "product": "CD-ROM          ", "revision": "3.00"},
      {"id": 3, "vendor": "KORVEL  ", "product": "CD-R   RZ5140   ", "revision": "1.00"},
      {"id": 4, "vendor": "KORVEL X", "product": "CD-R   RZ5140   ", "revision": "1.00"}
    ]}
  ]
})json";

constexpr char kNoTransportScenario[] = R"json({
  "os": "win98",
  "aspi": {"installed": false},
  "adapters": []
})json";

constexpr char kOneDriveScenario[] = R"json({
  "os": "win98",
  "aspi": {"installed": true, "completion": "immediate"},
  "adapters": [
    {"id": 0, "driver": "a", "manager": "m", "targets": [
      {"id": 2, "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00",
       "restart_ms": 1000}
    ]}
  ]
})json";

int CountOpcode(const std::vector<LoggedCommand>& commands, const char* opcode) {
  int count = 0;
  for (const LoggedCommand& command : commands) count += command.cdb.rfind(opcode, 0) == 0;
  return count;
}

std::vector<std::string> Opcodes(const std::vector<LoggedCommand>& commands) {
  std::vector<std::string> opcodes;
  for (const LoggedCommand& command : commands) opcodes.push_back(command.cdb.substr(0, 2));
  return opcodes;
}

TEST(UpgradeDialogScan, ListsTheMakersDrivesAdapterMajorWithTheirProductTexts) {
  DialogRig rig(kMixedBusScenario);
  rig.Open();

  EXPECT_THAT(rig.ComboItems(), ElementsAre("CD-R   RZ6120   ", "ODD PRODUCT     ",
                                            "CD-ROM          ", "CD-R   RZ5140   "));
  ASSERT_EQ(rig.session().DriveCount, 4);
  const std::vector<std::pair<int, int>> expected{{0, 3}, {0, 9}, {1, 0}, {1, 3}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(rig.session().DriveList[i].adapter, expected[i].first) << i;
    EXPECT_EQ(rig.session().DriveList[i].target, expected[i].second) << i;
  }
  // The first drive is selected and shown at once.
  EXPECT_EQ(rig.dialog().driveCombo()->currentIndex(), 0);
  EXPECT_EQ(rig.FieldText(kHostAdapterField), "0");
  EXPECT_EQ(rig.FieldText(kTargetIdField), "3");
  EXPECT_EQ(rig.FieldText(kFirmwareVersionField), "2.00");
  EXPECT_EQ(rig.FieldText(kStatusLine), upgrade::kSelectFileText);
  EXPECT_TRUE(rig.errors.empty());
  // "E&xit", the first tab stop, has the focus.
  EXPECT_EQ(QApplication::focusWidget(), rig.dialog().button(kIdCancel));
}

struct SelectionCase {
  int index;
  const char* hostAdapter;
  const char* targetId;
  const char* firmwareVersion;
  bool loadFileEnabled;
  const char* status;
  const char* trace;
};

void PrintTo(const SelectionCase& c, std::ostream* out) {
  *out << "drive " << c.index;
}

class UpgradeDialogSelection : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(UpgradeDialogSelection, ShowsTheDriveAndWritesOneTraceLine) {
  const SelectionCase& expected = GetParam();
  DialogRig rig(kMixedBusScenario);
  rig.Open();
  // A valid load first, so that the selection has an enabled Upgrade button to disable.
  rig.dialog().EnableControl(upgrade::kUpgradeButton, true);
  const std::size_t tracesBefore = rig.pc().kernel().debugOutput().size();
  rig.ForgetCommands();

  QComboBox& combo = *rig.dialog().driveCombo();
  combo.setFocus();
  // Walk down from the first item with the keyboard; every step is a selection of its own.
  for (int i = 0; i < expected.index; ++i) QTest::keyClick(&combo, Qt::Key_Down);
  if (expected.index == 0) {
    QTest::keyClick(&combo, Qt::Key_Down);
    QTest::keyClick(&combo, Qt::Key_Up);
  }
  const int selections = expected.index == 0 ? 2 : expected.index;

  EXPECT_EQ(combo.currentIndex(), expected.index);
  EXPECT_EQ(rig.session().SelectedDrive, expected.index);
  EXPECT_EQ(rig.FieldText(kHostAdapterField), expected.hostAdapter);
  EXPECT_EQ(rig.FieldText(kTargetIdField), expected.targetId);
  EXPECT_EQ(rig.FieldText(kFirmwareVersionField), expected.firmwareVersion);
  EXPECT_EQ(rig.FieldText(kStatusLine), expected.status);
  EXPECT_FALSE(rig.dialog().button(upgrade::kUpgradeButton)->isEnabled());
  EXPECT_EQ(rig.dialog().button(upgrade::kLoadFileButton)->isEnabled(), expected.loadFileEnabled);

  const std::vector<std::string> traces = rig.pc().kernel().debugOutput();
  ASSERT_EQ(traces.size(), tracesBefore + static_cast<std::size_t>(selections));
  EXPECT_EQ(traces.back(), expected.trace);

  // Each selection: TEST UNIT READY, REQUEST SENSE, INQUIRY, the INQUIRY of the type.
  const std::vector<LoggedCommand> commands = rig.Commands();
  ASSERT_GE(commands.size(), 4u);
  const std::vector<LoggedCommand> last(commands.end() - 4, commands.end());
  EXPECT_THAT(Opcodes(last), ElementsAre("00", "03", "12", "12"));
  EXPECT_EQ(last[1].cdb, "03 00 00 00 12 00");
  for (const LoggedCommand& command : last) {
    EXPECT_EQ(command.adapter, std::stoi(expected.hostAdapter));
    EXPECT_EQ(command.target, std::stoi(expected.targetId));
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryListedDrive, UpgradeDialogSelection,
    ::testing::Values(
        SelectionCase{0, "0", "3", "2.00", true, upgrade::kSelectFileText, "Korveltype 18\r\n"},
        SelectionCase{1, "0", "9", "0.01", false, upgrade::kNotUpgradableText, "Korveltype -2\r\n"},
        SelectionCase{2, "1", "0", "3.00", true, upgrade::kSelectFileText, "Korveltype 17\r\n"},
        SelectionCase{3, "1", "3", "1.00", true, upgrade::kSelectFileText, "Korveltype 16\r\n"}));

TEST(UpgradeDialogStartUp, NoTransportShowsTheErrorAndEndsWithoutAScan) {
  DialogRig rig(kNoTransportScenario);
  rig.Open();

  ASSERT_EQ(rig.errors.size(), 1u);
  EXPECT_EQ(rig.errors[0].text, "ERROR: ASPI Layer for Win32 is not initialized!");
  EXPECT_EQ(rig.errors[0].caption, "ERROR!");
  EXPECT_TRUE(rig.dialog().endedByCloseRequest());
  EXPECT_EQ(rig.stopCalls, 1);
  EXPECT_EQ(rig.dialog().result(), QDialog::Rejected);
  EXPECT_FALSE(rig.dialog().isVisible());
  // The modal run returns at once: the window never opens.
  EXPECT_EQ(rig.dialog().exec(), QDialog::Rejected);
  EXPECT_FALSE(rig.dialog().isVisible());
  EXPECT_EQ(rig.dialog().driveCombo()->count(), 0);
  EXPECT_THAT(rig.Commands(), IsEmpty());
}

TEST(UpgradeDialogStartUp, AdapterCountOfZeroInANonZeroValueGivesNoMessageAndNoScan) {
  DialogRig rig(kMixedBusScenario, [] { return std::uint32_t{0x0100}; });
  rig.Open();

  EXPECT_TRUE(rig.errors.empty());
  EXPECT_FALSE(rig.dialog().endedByCloseRequest());
  EXPECT_TRUE(rig.dialog().isVisible());
  EXPECT_THAT(rig.Commands(), IsEmpty());
  EXPECT_EQ(rig.dialog().driveCombo()->count(), 0);
  EXPECT_FALSE(rig.dialog().driveCombo()->isEnabled());
  EXPECT_TRUE(rig.dialog().button(upgrade::kLoadFileButton)->isEnabled());
  EXPECT_FALSE(rig.dialog().button(upgrade::kUpgradeButton)->isEnabled());
  for (int id : {kHostAdapterField, kTargetIdField, kFirmwareVersionField, kStatusLine}) {
    EXPECT_EQ(rig.FieldText(id), "") << id;
  }
  EXPECT_EQ(rig.stopCalls, 0);
}

// Runs `action` and reports whether an About box came up while it ran (the box is closed with
// its OK button as soon as it shows).
bool AboutBoxOpensDuring(const std::function<void()>& action) {
  bool opened = false;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&opened] {
    if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
      opened = true;
      about->findChild<QPushButton*>()->click();
    }
  });
  watcher.start();
  action();
  watcher.stop();
  return opened;
}

TEST(UpgradeDialogSystemCommand, IdsSixteenToThirtyOneOpenTheAboutBoxAndNoOthers) {
  DialogRig rig(kMixedBusScenario);
  rig.Open();
  for (int id : {0, 15, 32, 0xF060, 0xF010, 0x0110}) {
    // A box that wrongly opened would never be closed by anyone else; close it from here.
    EXPECT_FALSE(AboutBoxOpensDuring([&] { rig.dialog().OnSysCommand(id); })) << id;
  }
  for (int id = 16; id <= 31; ++id) {
    EXPECT_TRUE(AboutBoxOpensDuring([&] { rig.dialog().OnSysCommand(id); })) << id;
  }
}

TEST(UpgradeDialogSystemCommand, TheAboutItemAndF1OpenTheBox) {
  DialogRig rig(kMixedBusScenario);
  rig.Open();
  EXPECT_EQ(rig.dialog().aboutAction()->text(), "&About Korvel Upgrade...");
  EXPECT_EQ(rig.dialog().contextMenuPolicy(), Qt::ActionsContextMenu);
  ASSERT_EQ(QApplication::activeWindow(), &rig.dialog());
  EXPECT_TRUE(AboutBoxOpensDuring([&] { QTest::keyClick(&rig.dialog(), Qt::Key_F1); }));
  EXPECT_TRUE(AboutBoxOpensDuring([&] { rig.dialog().aboutAction()->trigger(); }));
}

std::filesystem::path WriteImage(const std::vector<std::uint8_t>& bytes, const char* name) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(UpgradeDialogUpgrade, AWholeUpgradeFromTheButtonsShowsTheNewFirmware) {
  DialogRig rig(kOneDriveScenario);
  const std::filesystem::path image =
      WriteImage(formats::MakeSampleImage(formats::kFormatB, "1.10", 7), "korvel-app-b.bin");
  rig.nextFile = image.string();
  rig.Open();
  ASSERT_EQ(rig.FieldText(kFirmwareVersionField), "1.00");

  QTest::mouseClick(rig.dialog().button(upgrade::kLoadFileButton), Qt::LeftButton);
  EXPECT_EQ(rig.fileRequests, 1);
  EXPECT_EQ(rig.FieldText(kStatusLine), "Valid upgrade file loaded: korvel-app-b.bin");
  ASSERT_TRUE(rig.dialog().button(upgrade::kUpgradeButton)->isEnabled());

  rig.ForgetCommands();
  // While the chunks go out the window already says so, and neither button can be pressed.
  int probes = 0;
  rig.dialog().onTransferProgress = [&](int, int) {
    ++probes;
    EXPECT_EQ(rig.FieldText(kStatusLine), "Please wait: upgrade in progress !");
    EXPECT_FALSE(rig.dialog().button(upgrade::kUpgradeButton)->isEnabled());
    EXPECT_FALSE(rig.dialog().button(upgrade::kLoadFileButton)->isEnabled());
    EXPECT_TRUE(rig.dialog().driveCombo()->isEnabled());
  };
  QTest::mouseClick(rig.dialog().button(upgrade::kUpgradeButton), Qt::LeftButton);
  EXPECT_GT(probes, 0);

  EXPECT_EQ(rig.FieldText(kStatusLine), "!! Upgrade finished succesfully !!");
  EXPECT_EQ(rig.FieldText(kFirmwareVersionField), "1.10");
  EXPECT_EQ(rig.FieldText(kHostAdapterField), "0");
  EXPECT_EQ(rig.FieldText(kTargetIdField), "2");
  EXPECT_TRUE(rig.dialog().button(upgrade::kUpgradeButton)->isEnabled());
  EXPECT_TRUE(rig.dialog().button(upgrade::kLoadFileButton)->isEnabled());
  const std::vector<LoggedCommand> commands = rig.Commands();
  EXPECT_EQ(CountOpcode(commands, "3B 04"), 63);
  EXPECT_EQ(CountOpcode(commands, "3B 05"), 1);
  std::filesystem::remove(image);
}

TEST(UpgradeDialogUpgrade, ACancelledFileDialogChangesNothing) {
  DialogRig rig(kOneDriveScenario);
  rig.Open();
  rig.nextFile.reset();
  QTest::mouseClick(rig.dialog().button(upgrade::kLoadFileButton), Qt::LeftButton);
  EXPECT_EQ(rig.fileRequests, 1);
  EXPECT_EQ(rig.FieldText(kStatusLine), upgrade::kSelectFileText);
  EXPECT_FALSE(rig.dialog().button(upgrade::kUpgradeButton)->isEnabled());
}

enum class Ending { ExitButton, Escape, EnterOnDriveBox, EnterOnExitButton, CloseRequest };

struct EndingCase {
  Ending ending;
  QDialog::DialogCode result;
  int stopCalls;
};

void PrintTo(const EndingCase& c, std::ostream* out) {
  static constexpr const char* kNames[] = {"Exit button", "Escape", "Enter on the drive box",
                                           "Enter on Exit", "close request"};
  *out << kNames[static_cast<int>(c.ending)];
}

class UpgradeDialogEnding : public ::testing::TestWithParam<EndingCase> {};

TEST_P(UpgradeDialogEnding, EndsTheDialogAndOnlyTheCloseRequestStopsTheTransport) {
  const EndingCase& expected = GetParam();
  DialogRig rig(kMixedBusScenario);
  rig.Open();
  ASSERT_TRUE(rig.dialog().isVisible());
  switch (expected.ending) {
    case Ending::ExitButton:
      QTest::mouseClick(rig.dialog().button(kIdCancel), Qt::LeftButton);
      break;
    case Ending::Escape:
      QTest::keyClick(rig.dialog().driveCombo(), Qt::Key_Escape);
      break;
    case Ending::EnterOnDriveBox:
      rig.dialog().driveCombo()->setFocus();
      QTest::keyClick(rig.dialog().driveCombo(), Qt::Key_Return);
      break;
    case Ending::EnterOnExitButton:
      QTest::keyClick(rig.dialog().button(kIdCancel), Qt::Key_Return);
      break;
    case Ending::CloseRequest:
      rig.dialog().close();
      break;
  }
  EXPECT_FALSE(rig.dialog().isVisible());
  EXPECT_EQ(rig.dialog().result(), expected.result);
  EXPECT_EQ(rig.stopCalls, expected.stopCalls);
  EXPECT_EQ(rig.dialog().endedByCloseRequest(), expected.stopCalls == 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWayOut, UpgradeDialogEnding,
    ::testing::Values(EndingCase{Ending::ExitButton, QDialog::Rejected, 0},
                      EndingCase{Ending::Escape, QDialog::Rejected, 0},
                      EndingCase{Ending::EnterOnDriveBox, QDialog::Accepted, 0},
                      EndingCase{Ending::EnterOnExitButton, QDialog::Rejected, 0},
                      EndingCase{Ending::CloseRequest, QDialog::Rejected, 1}));

TEST(UpgradeDialogWindow, CaptionFrameAndTabOrderFollowTheTemplate) {
  DialogRig rig(kMixedBusScenario);
  UpgradeDialog& dialog = rig.dialog();
  EXPECT_EQ(dialog.windowTitle(), "Korvel Firmware Upgrade Program  V1.05");
  const Qt::WindowFlags flags = dialog.windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(dialog.windowIcon().isNull());

  EXPECT_EQ(dialog.button(kIdCancel)->text(), "E&xit");
  EXPECT_EQ(dialog.button(upgrade::kLoadFileButton)->text(), "&Load File");
  EXPECT_EQ(dialog.button(upgrade::kUpgradeButton)->text(), "&Upgrade");
  for (int id : {kIdCancel, upgrade::kLoadFileButton, upgrade::kUpgradeButton}) {
    EXPECT_FALSE(dialog.button(id)->isDefault()) << id;
  }
  EXPECT_TRUE(dialog.button(upgrade::kLoadFileButton)->isEnabled());
  EXPECT_FALSE(dialog.button(upgrade::kUpgradeButton)->isEnabled());
  EXPECT_FALSE(dialog.driveCombo()->isEditable());

  QWidget* tabStop = dialog.button(kIdCancel);
  std::vector<QWidget*> order{tabStop};
  for (int i = 0; i < 3; ++i) order.push_back(tabStop = tabStop->nextInFocusChain());
  EXPECT_THAT(order, ElementsAre(dialog.button(kIdCancel), dialog.button(upgrade::kLoadFileButton),
                                 dialog.button(upgrade::kUpgradeButton), dialog.driveCombo()));

  EXPECT_TRUE(dialog.field(kHostAdapterField)->alignment() & Qt::AlignRight);
  EXPECT_TRUE(dialog.field(kFirmwareVersionField)->alignment() & Qt::AlignRight);
  EXPECT_TRUE(dialog.field(kStatusLine)->alignment() & Qt::AlignHCenter);
  EXPECT_EQ(dialog.field(kStatusLine)->frameShadow(), QFrame::Sunken);
}

}  // namespace
}  // namespace korvel::app::testing
