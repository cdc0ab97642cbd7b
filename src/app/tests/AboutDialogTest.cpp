#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include "app/AboutDialog.h"

namespace korvel::app {
namespace {

TEST(AboutDialog, ShowsTheProgramAndAnOkButtonThatIsTheDefault) {
  QWidget owner;
  AboutDialog about(&owner);
  EXPECT_EQ(about.windowTitle(), "About Korvel Upgrade Program");
  EXPECT_EQ(about.parentWidget(), &owner);

  QStringList texts;
  QSize iconSize;
  for (QLabel* label : about.findChildren<QLabel*>()) {
    if (!label->pixmap().isNull()) iconSize = label->pixmap().size();
    if (!label->text().isEmpty()) {
      texts << label->text();
      // The "&" of a static text would be shown, not taken as a mnemonic.
      EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
  }
  EXPECT_EQ(iconSize, QSize(32, 32));
  EXPECT_TRUE(texts.contains("Korvel Firmware Upgrade Program  V1.05"));
  EXPECT_TRUE(texts.contains("Copyright (C) 1999 Korvel"));

  const QList<QPushButton*> buttons = about.findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 1);
  EXPECT_EQ(buttons[0]->text(), "OK");
  EXPECT_TRUE(buttons[0]->isDefault());
}

enum class AboutEnding { OkButton, Enter, Escape, CloseBox };

void PrintTo(AboutEnding ending, std::ostream* out) {
  static constexpr const char* kNames[] = {"OK button", "Enter", "Escape", "close box"};
  *out << kNames[static_cast<int>(ending)];
}

class AboutDialogEnding : public ::testing::TestWithParam<AboutEnding> {};

TEST_P(AboutDialogEnding, EndsTheBox) {
  AboutDialog about(nullptr);
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  switch (GetParam()) {
    case AboutEnding::OkButton:
      QTest::mouseClick(about.findChild<QPushButton*>(), Qt::LeftButton);
      break;
    case AboutEnding::Enter:
      QTest::keyClick(&about, Qt::Key_Return);
      break;
    case AboutEnding::Escape:
      QTest::keyClick(&about, Qt::Key_Escape);
      break;
    case AboutEnding::CloseBox:
      about.close();
      break;
  }
  EXPECT_FALSE(about.isVisible());
}

INSTANTIATE_TEST_SUITE_P(EveryWayOut, AboutDialogEnding,
                         ::testing::Values(AboutEnding::OkButton, AboutEnding::Enter,
                                           AboutEnding::Escape, AboutEnding::CloseBox));

}  // namespace
}  // namespace korvel::app
