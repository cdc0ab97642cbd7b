// The status line shows the window's own texts whole, and cuts longer texts at their end only.
#include <QLabel>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DialogTemplates.h"
#include "app/ElidingLabel.h"
#include "app/UpgradeDialog.h"
#include "upgrade/StatusTexts.h"

namespace korvel::app {
namespace {

QString ShownStatus(UpgradeDialog& dialog, const std::string& text) {
  dialog.RefreshControls("0", "2", "1.00", text);
  auto* status = dynamic_cast<ElidingLabel*>(dialog.field(kStatusLine));
  EXPECT_NE(status, nullptr);
  EXPECT_EQ(status->text(), QString::fromStdString(text)) << "the control keeps the whole text";
  return status ? status->shownText() : QString();
}

TEST(StatusLineTest, TheWindowsOwnTextsFitWhole) {
  UpgradeDialog dialog(DialogHooks{});
  const std::vector<std::string> texts = {
      upgrade::kSelectFileText,
      upgrade::kNotUpgradableText,
      upgrade::kNotValidFileText,
      upgrade::kUpgradeInProgressText,
      upgrade::kUpgradeSucceededText,
      upgrade::ChecksumErrorText(0xFFFF, 0xFFFF),
      upgrade::UpgradeFailedText({0xFF, 0xFF, 0xFF, 0xFF}),
      upgrade::ValidFileText("C:\\UPGRADES\\RZ6120LX.BIN"),
  };
  for (const std::string& text : texts) {
    EXPECT_EQ(ShownStatus(dialog, text), QString::fromStdString(text));
  }
}

TEST(StatusLineTest, LongerTextsAreCutAtTheEndOnly) {
  UpgradeDialog dialog(DialogHooks{});
  const std::vector<std::string> texts = {
      upgrade::CannotOpenFileText(platform::ERROR_SHARING_VIOLATION),
      upgrade::ValidFileText(std::string(120, 'x') + ".bin"),
      std::string(upgrade::kNoFileLoadedText) + " " + upgrade::kNoFileLoadedText,
  };
  for (const std::string& text : texts) {
    const QString shown = ShownStatus(dialog, text);
    const QString whole = QString::fromStdString(text);
    if (shown == whole) continue;  // it fits after all
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(whole.startsWith(shown.chopped(1))) << shown.toStdString();
    EXPECT_GT(shown.size(), 20) << shown.toStdString();
  }
  // The longest of them must really be cut: a text three times the line cannot fit.
  EXPECT_NE(ShownStatus(dialog, texts[1]), QString::fromStdString(texts[1]));
}

}  // namespace
}  // namespace korvel::app
