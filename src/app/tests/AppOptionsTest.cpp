#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "app/AppOptions.h"
#include "app/DialogHooks.h"

namespace korvel::app {
namespace {

struct OptionsCase {
  std::vector<std::string> arguments;
  const char* debugEnvironment;
  bool simulate;
  const char* scenario;
  const char* commandLog;
  bool debugTrace;
};

std::string Joined(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) text += (text.empty() ? "" : " ") + argument;
  return "[" + text + "]";
}

void PrintTo(const OptionsCase& c, std::ostream* out) {
  *out << Joined(c.arguments)
       << " KORVEL_DEBUG=" << (c.debugEnvironment ? c.debugEnvironment : "(unset)");
}

class AppOptionsParsing : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(AppOptionsParsing, ReadsTheMachineAndTheRecords) {
  const OptionsCase& c = GetParam();
  const ParsedOptions parsed = ParseAppOptions(c.arguments, c.debugEnvironment);
  ASSERT_TRUE(std::holds_alternative<AppOptions>(parsed));
  const AppOptions& options = std::get<AppOptions>(parsed);
  EXPECT_EQ(options.simulate, c.simulate);
  EXPECT_EQ(options.scenarioPath, c.scenario);
  EXPECT_EQ(options.commandLogPath, c.commandLog);
  EXPECT_EQ(options.debugTrace, c.debugTrace);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, AppOptionsParsing,
    ::testing::Values(
        OptionsCase{{}, nullptr, false, "", "", false},
        OptionsCase{{"--simulate"}, nullptr, true, "", "", false},
        OptionsCase{{"--simulate=pc.json"}, nullptr, true, "pc.json", "", false},
        OptionsCase{
            {"--simulate", "--log-commands", "log.jsonl"}, nullptr, true, "", "log.jsonl", false},
        OptionsCase{{"--log-commands=l", "--simulate=s.json"}, nullptr, true, "s.json", "l", false},
        OptionsCase{{"--debug-trace"}, nullptr, false, "", "", true},
        OptionsCase{{}, "1", false, "", "", true}, OptionsCase{{}, "0", false, "", "", false},
        OptionsCase{{}, "", false, "", "", false},
        // Qt's own options are left to Qt, with one dash or two, value apart or after "=".
        OptionsCase{{"-platform", "offscreen", "--simulate", "-style=fusion", "-reverse"},
                    nullptr,
                    true,
                    "",
                    "",
                    false},
        OptionsCase{{"--platform", "xcb", "--log-commands", "l", "--qwindowtitle", "T"},
                    nullptr,
                    false,
                    "",
                    "l",
                    false}));

struct RefusedCase {
  std::vector<std::string> arguments;
  int exitStatus;
};

void PrintTo(const RefusedCase& c, std::ostream* out) {
  *out << Joined(c.arguments);
}

class AppOptionsRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(AppOptionsRefused, EndsWithTheStatus) {
  const ParsedOptions parsed = ParseAppOptions(GetParam().arguments, nullptr);
  ASSERT_TRUE(std::holds_alternative<int>(parsed));
  EXPECT_EQ(std::get<int>(parsed), GetParam().exitStatus);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, AppOptionsRefused,
    ::testing::Values(RefusedCase{{"--help"}, 0}, RefusedCase{{"--frobnicate"}, 2},
                      RefusedCase{{"--log-commands"}, 2}, RefusedCase{{"stray"}, 2},
                      RefusedCase{{"--log-commands", ""}, 2}, RefusedCase{{"--log-commands="}, 2},
                      RefusedCase{{"--simulate="}, 2},
                      RefusedCase{{"-platform", "offscreen", "--help"}, 0},
                      RefusedCase{{"--screenshot-script", "/tmp"}, 2}));

struct FilterCase {
  const char* filter;
  const char* qtFilters;
};

void PrintTo(const FilterCase& c, std::ostream* out) {
  const std::string filter = c.filter;
  *out << std::count(filter.begin(), filter.end(), '|') / 2 << " pairs";
}

class FileDialogFilters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FileDialogFilters, BecomeQtNameFilters) {
  EXPECT_EQ(QtNameFiltersOf(GetParam().filter), QString::fromLatin1(GetParam().qtFilters));
}

TEST(FileDialogFilterTest, AllFilesShowsNamesWithoutADot) {
  const QStringList filters = QtNameFiltersOf("Upgrade Files (*.bin)|*.bin|All Files (*.*)|*.*||")
                                  .split(QStringLiteral(";;"));
  ASSERT_EQ(filters.size(), 2);
  // Qt filters by the patterns inside the label's last parentheses.
  const QString all = filters[1];
  const QStringList patterns = all.mid(all.lastIndexOf('(') + 1).chopped(1).split(' ');
  bool matches = false;
  for (const QString& pattern : patterns) {
    matches =
        matches || QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                       .match(QStringLiteral("FIRMWARE"))
                       .hasMatch();
  }
  EXPECT_TRUE(matches) << all.toStdString();
}

TEST(FileDialogFilterTest, TheDialogShowsTheCaptionsAsTheProgramWritesThem) {
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  SetFileDialogFilters(dialog, "Upgrade Files (*.bin)|*.bin|All Files (*.*)|*.*||");
  auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->count(), 2);
  EXPECT_EQ(types->itemText(0), QStringLiteral("Upgrade Files (*.bin)"));
  EXPECT_EQ(types->itemText(1), QStringLiteral("All Files (*.*)"));
  EXPECT_EQ(types->currentIndex(), 0);
}

TEST(TypedFileNameTest, TriesTheNameAsTypedThenLowerThenUpperExtension) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const auto touch = [&](const char* name) {
    QFile file(folder.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    return file.fileName();
  };
  const QString plain = touch("plain");
  touch("plain.bin");
  const QString lower = touch("lower.bin");
  touch("lower.BIN");
  const QString upper = touch("upper.BIN");
  const struct {
    QString typed;
    QString expected;
  } cases[] = {
      {plain, plain},
      {folder.filePath("lower"), lower},
      {folder.filePath("upper"), upper},
      {folder.filePath("missing"), folder.filePath("missing")},
      {folder.filePath("other.img"), folder.filePath("other.img")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompletedFileName(c.typed, QStringLiteral("BIN")), c.expected)
        << c.typed.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FileDialogFilters,
    ::testing::Values(FilterCase{"Upgrade Files (*.bin)|*.bin|All Files (*.*)|*.*||",
                                 "Upgrade Files (*.bin) (*.bin);;All Files (*.*) (*)"},
                      FilterCase{"Images (*.img)|*.img||", "Images (*.img) (*.img)"},
                      FilterCase{"", ""}));

}  // namespace
}  // namespace korvel::app
