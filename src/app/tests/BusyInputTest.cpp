// Clicks and keys that reach the main window while the Upgrade handler works are dropped: once
// the handler has enabled the buttons again they must not start a second download, load another
// file or select another drive.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "DialogRig.h"
#include "app/DialogTemplates.h"
#include "formats/SampleImage.h"
#include "formats/UpgradeFileFormat.h"

namespace korvel::app::testing {
namespace {

constexpr char kTwoDriveScenario[] = R"json({
  "os": "win98",
  "aspi": {"installed": true, "completion": "immediate"},
  "adapters": [
    {"id": 0, "driver": "a", "manager": "m", "targets": [
      {"id": 2, "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00",
       "restart_ms": 1000},
      {"id": 4, "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00"}
    ]}
  ]
})json";

// A click as the window system would deliver it later: queued, not sent at once.
void QueueClick(QWidget* widget) {
  const QPointF centre = QRectF(widget->rect()).center();
  const QPointF global = widget->mapToGlobal(centre);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        widget, new QMouseEvent(type, centre, centre, global, Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
  }
}

void QueueKey(QWidget* widget, int key) {
  QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
  QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

int CountPrefix(const std::vector<LoggedCommand>& commands, const char* prefix) {
  int count = 0;
  for (const LoggedCommand& command : commands) count += command.cdb.rfind(prefix, 0) == 0;
  return count;
}

TEST(UpgradeDialogBusy, InputDuringTheUpgradeIsDroppedNotDelayed) {
  DialogRig rig(kTwoDriveScenario);
  const std::filesystem::path image =
      std::filesystem::temp_directory_path() / "korvel-app-busy-input.bin";
  {
    const std::vector<std::uint8_t> bytes = formats::MakeSampleImage(formats::kFormatB, "1.10", 5);
    std::ofstream out(image, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  rig.nextFile = image.string();
  rig.Open();
  QTest::mouseClick(rig.dialog().button(upgrade::kLoadFileButton), Qt::LeftButton);
  ASSERT_EQ(rig.fileRequests, 1);
  ASSERT_TRUE(rig.dialog().button(upgrade::kUpgradeButton)->isEnabled());
  rig.ForgetCommands();

  // Halfway through the transfer the user clicks everything the window has.
  rig.dialog().onTransferProgress = [&](int chunksSent, int) {
    if (chunksSent != 32) return;
    QueueClick(rig.dialog().button(upgrade::kUpgradeButton));
    QueueClick(rig.dialog().button(upgrade::kLoadFileButton));
    QueueClick(rig.dialog().driveCombo());
    QueueKey(rig.dialog().driveCombo(), Qt::Key_Down);
    QueueKey(rig.dialog().button(upgrade::kUpgradeButton), Qt::Key_Space);
  };
  QTest::mouseClick(rig.dialog().button(upgrade::kUpgradeButton), Qt::LeftButton);
  rig.dialog().onTransferProgress = nullptr;
  // Back in the event loop, whatever was still queued would act now.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();

  const std::vector<LoggedCommand> commands = rig.Commands();
  EXPECT_EQ(CountPrefix(commands, "3B 04"), 63);
  EXPECT_EQ(CountPrefix(commands, "3B 05"), 1);
  EXPECT_EQ(rig.fileRequests, 1) << "Load File acted on a queued click";
  EXPECT_EQ(rig.dialog().driveCombo()->currentIndex(), 0);
  EXPECT_EQ(rig.FieldText(kTargetIdField), "2");
  EXPECT_EQ(rig.FieldText(kStatusLine), "!! Upgrade finished succesfully !!");

  // The gate is gone with the handler: the window answers again.
  rig.nextFile.reset();
  QTest::mouseClick(rig.dialog().button(upgrade::kLoadFileButton), Qt::LeftButton);
  EXPECT_EQ(rig.fileRequests, 2);
  std::filesystem::remove(image);
}

}  // namespace
}  // namespace korvel::app::testing
