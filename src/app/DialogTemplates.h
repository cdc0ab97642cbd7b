// The two dialog templates of the program, written once as tables: the main window and the
// About box. The dialogs build their widgets from these rows, in row order, which is also the
// tab order.
#pragma once

#include <array>

#include "app/DialogRect.h"

namespace korvel::app {

enum class ControlKind { PushButton, ComboBox, StaticText, StaticIcon };
enum class TextAlignment { Left, Right, Centre };

// Control ids that have no meaning of their own use kNoControlId.
inline constexpr int kNoControlId = -1;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kHostAdapterField = 1003;
inline constexpr int kTargetIdField = 1004;
inline constexpr int kFirmwareVersionField = 1005;
inline constexpr int kStatusLine = 1006;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  DialogRect rect;
  TextAlignment alignment = TextAlignment::Left;
  bool sunkenFrame = false;
  bool enabledAtStart = true;
};

struct DialogTemplate {
  const char* caption;
  int width;   // dialog units, client area
  int height;  // dialog units, client area
};

inline constexpr char kProgramTitle[] = "Korvel Firmware Upgrade Program  V1.05";

// Template 102, the main window.
inline constexpr DialogTemplate kMainWindowTemplate{kProgramTitle, 218, 103};
inline constexpr std::array<ControlTemplate, 11> kMainWindowControls{{
    {kIdCancel, ControlKind::PushButton, "E&xit", {161, 55, 50, 14}},
    {1000, ControlKind::PushButton, "&Load File", {161, 5, 50, 14}},
    {1001,
     ControlKind::PushButton,
     "&Upgrade",
     {161, 30, 50, 14},
     TextAlignment::Left,
     false,
     false},
    {1002, ControlKind::ComboBox, "", {5, 5, 125, 72}},
    {kNoControlId, ControlKind::StaticText, "Host Adapter", {5, 25, 51, 8}},
    {kNoControlId, ControlKind::StaticText, "Target ID", {5, 40, 38, 8}},
    {kNoControlId, ControlKind::StaticText, "Firmware Version", {5, 55, 66, 8}},
    {kHostAdapterField, ControlKind::StaticText, "", {105, 25, 24, 8}, TextAlignment::Right},
    {kTargetIdField, ControlKind::StaticText, "", {105, 40, 24, 8}, TextAlignment::Right},
    {kFirmwareVersionField, ControlKind::StaticText, "", {105, 55, 24, 8}, TextAlignment::Right},
    {kStatusLine, ControlKind::StaticText, "", {7, 77, 204, 11}, TextAlignment::Centre, true},
}};

// Template 100, the About box.
inline constexpr DialogTemplate kAboutTemplate{"About Korvel Upgrade Program", 231, 47};
inline constexpr char kCopyrightLine[] = "Copyright (C) 1999 Korvel";
inline constexpr std::array<ControlTemplate, 4> kAboutControls{{
    {kNoControlId, ControlKind::StaticIcon, "", {7, 7, 21, 20}},
    {kNoControlId, ControlKind::StaticText, kProgramTitle, {40, 10, 144, 8}},
    {kNoControlId, ControlKind::StaticText, kCopyrightLine, {60, 26, 104, 8}},
    {kIdOk, ControlKind::PushButton, "OK", {192, 13, 32, 14}},
}};

// The system-menu item that opens the About box, and the rule that routes it: every command id
// whose low four bits are cleared to 0x0010 (16 to 31) means "About".
inline constexpr char kAboutMenuText[] = "&About Korvel Upgrade...";
inline constexpr int kAboutCommandId = 0x0010;
constexpr bool IsAboutCommand(int commandId) {
  return (commandId & 0xFFF0) == kAboutCommandId;
}

}  // namespace korvel::app
