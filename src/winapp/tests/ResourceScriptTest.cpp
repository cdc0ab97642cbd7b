// The native program's resource script against the tables the Qt program is built from, so the
// two dialogs cannot drift apart: templates 102 and 100 control by control, string 101, icon 128
// and the version record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ResourceScript.h"
#include "app/DialogTemplates.h"
#include "app/VersionRecord.h"
#include "upgrade/UpgradeWindow.h"
#include "winapp/ResourceIds.h"

namespace korvel::winapp {
namespace {

using resources::ReadResourceScript;
using resources::ResourceScript;
using resources::ScriptControl;
using resources::ScriptDialog;

std::string ScriptPath() {
  const char* source = std::getenv("KORVEL_SOURCE_DIR");
  return std::string(source != nullptr ? source : ".") + "/src/winapp/resources/korvel-upgrade.rc";
}

const ResourceScript& Script() {
  static const ResourceScript script = ReadResourceScript(ScriptPath());
  return script;
}

bool Has(const std::set<std::string>& styles, const char* name) {
  return styles.count(name) != 0;
}

// The resource compiler's keyword that gives a row its kind and, for texts, its alignment.
std::string KeywordFor(const app::ControlTemplate& row) {
  switch (row.kind) {
    case app::ControlKind::PushButton:
      return row.id == app::kIdOk ? "DEFPUSHBUTTON" : "PUSHBUTTON";
    case app::ControlKind::ComboBox:
      return "COMBOBOX";
    case app::ControlKind::StaticIcon:
      return "CONTROL";
    case app::ControlKind::StaticText:
      switch (row.alignment) {
        case app::TextAlignment::Left:
          return "LTEXT";
        case app::TextAlignment::Right:
          return "RTEXT";
        case app::TextAlignment::Centre:
          return "CTEXT";
      }
  }
  return {};
}

// The value fields read "Static" in the template; the window blanks them before it shows.
std::string TemplateText(const app::ControlTemplate& row) {
  if (row.id == app::kHostAdapterField || row.id == app::kTargetIdField ||
      row.id == app::kFirmwareVersionField) {
    return "Static";
  }
  return row.text;
}

template <typename Rows>
void ExpectControlsMatch(const ScriptDialog& dialog, const Rows& rows) {
  ASSERT_EQ(dialog.controls.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const app::ControlTemplate& row = rows[i];
    const ScriptControl& control = dialog.controls[i];
    SCOPED_TRACE("row " + std::to_string(i) + " \"" + row.text + "\"");
    EXPECT_EQ(control.keyword, KeywordFor(row));
    EXPECT_EQ(control.id, row.id);
    EXPECT_EQ(control.x, row.rect.x);
    EXPECT_EQ(control.y, row.rect.y);
    EXPECT_EQ(control.width, row.rect.width);
    EXPECT_EQ(control.height, row.rect.height);
    EXPECT_EQ(Has(control.styles, "WS_DISABLED"), !row.enabledAtStart);
    EXPECT_EQ(Has(control.styles, "SS_SUNKEN"), row.sunkenFrame);
    if (row.kind == app::ControlKind::StaticIcon) {
      EXPECT_EQ(control.windowClass, "Static");
      EXPECT_TRUE(Has(control.styles, "SS_ICON"));
      EXPECT_EQ(control.text, std::to_string(kAppIcon));
    } else {
      EXPECT_EQ(control.text, TemplateText(row));
    }
    // A text statement starts a group by default, but the resource compiler drops that default
    // as soon as a line gives styles of its own; such lines must name it again.
    if (row.kind == app::ControlKind::StaticText && !control.styles.empty()) {
      EXPECT_TRUE(Has(control.styles, "WS_GROUP"));
    }
  }
}

TEST(ResourceScript, MainWindowTemplateIsTheTableOfTheQtDialog) {
  ASSERT_EQ(Script().dialogs.count(kMainWindowDialog), 1u);
  const ScriptDialog& dialog = Script().dialogs.at(kMainWindowDialog);
  EXPECT_EQ(dialog.caption, app::kMainWindowTemplate.caption);
  EXPECT_EQ(dialog.width, app::kMainWindowTemplate.width);
  EXPECT_EQ(dialog.height, app::kMainWindowTemplate.height);
  EXPECT_EQ(dialog.fontPoints, 8);
  EXPECT_EQ(dialog.fontFace, "MS Sans Serif");
  EXPECT_EQ(dialog.styles, (std::set<std::string>{"DS_MODALFRAME", "WS_POPUP", "WS_VISIBLE",
                                                  "WS_CAPTION", "WS_SYSMENU"}));
  EXPECT_EQ(dialog.extendedStyles, std::set<std::string>{"WS_EX_APPWINDOW"});
  ExpectControlsMatch(dialog, app::kMainWindowControls);
}

TEST(ResourceScript, DriveBoxIsAnUnsortedDropDownListWithScrollBar) {
  const ScriptDialog& dialog = Script().dialogs.at(kMainWindowDialog);
  ASSERT_GE(dialog.controls.size(), 4u);
  const ScriptControl& combo = dialog.controls[3];
  ASSERT_EQ(combo.id, upgrade::kDriveCombo);
  EXPECT_EQ(combo.styles, (std::set<std::string>{"CBS_DROPDOWNLIST", "WS_VSCROLL", "WS_TABSTOP"}));
}

TEST(ResourceScript, AboutTemplateIsTheTableOfTheQtAboutBox) {
  ASSERT_EQ(Script().dialogs.count(kAboutDialog), 1u);
  const ScriptDialog& dialog = Script().dialogs.at(kAboutDialog);
  EXPECT_EQ(dialog.caption, app::kAboutTemplate.caption);
  EXPECT_EQ(dialog.width, app::kAboutTemplate.width);
  EXPECT_EQ(dialog.height, app::kAboutTemplate.height);
  EXPECT_EQ(dialog.fontPoints, 8);
  EXPECT_EQ(dialog.fontFace, "MS Sans Serif");
  // Not visible by its style: the box is shown when it is run.
  EXPECT_EQ(dialog.styles,
            (std::set<std::string>{"DS_MODALFRAME", "WS_POPUP", "WS_CAPTION", "WS_SYSMENU"}));
  ExpectControlsMatch(dialog, app::kAboutControls);
  // The program's name is shown with its ampersands, never as a mnemonic.
  EXPECT_TRUE(Has(dialog.controls.at(1).styles, "SS_NOPREFIX"));
  EXPECT_TRUE(Has(dialog.controls.at(3).styles, "WS_GROUP"));
}

TEST(ResourceScript, SystemMenuStringAndIcon) {
  ASSERT_EQ(Script().strings.count(kAboutMenuString), 1u);
  EXPECT_EQ(Script().strings.at(kAboutMenuString), app::kAboutMenuText);
  EXPECT_EQ(Script().strings.size(), 1u);
  ASSERT_EQ(Script().icons.count(kAppIcon), 1u);
  EXPECT_EQ(Script().icons.at(kAppIcon), "korvel-upgrade.ico");
}

TEST(ResourceScript, VersionRecordIsTheProgramsOwn) {
  const app::VersionRecord& record = app::kVersionRecord;
  EXPECT_EQ(Script().fileVersion, record.fileVersionText);
  EXPECT_EQ(Script().productVersion, record.productVersionText);
  EXPECT_EQ(Script().translation, "0x0409, 0x04B0");
  const std::map<std::string, std::string> expected{
      {"CompanyName", record.companyName},       {"FileDescription", record.fileDescription},
      {"FileVersion", record.fileVersionText},   {"InternalName", record.internalName},
      {"LegalCopyright", record.legalCopyright}, {"OriginalFilename", record.originalFilename},
      {"ProductName", record.productName},       {"ProductVersion", record.productVersionText},
  };
  EXPECT_EQ(Script().versionStrings, expected);
}

}  // namespace
}  // namespace korvel::winapp
