// A reader of the parts of a resource script (.rc) that the program's own script uses: dialog
// templates with their controls, the string table and the version record. Enough to compare the
// script with the tables the Qt program is built from; not a general resource compiler.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace korvel::winapp::resources {

struct ScriptControl {
  std::string keyword;  // PUSHBUTTON, LTEXT, CONTROL, ...
  std::string text;     // unquoted; a number for a CONTROL that names a resource
  int id = 0;
  std::string windowClass;  // CONTROL only
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::set<std::string> styles;  // the style names given on the line, without the defaults
};

struct ScriptDialog {
  int width = 0;
  int height = 0;
  std::set<std::string> styles;
  std::set<std::string> extendedStyles;
  std::string caption;
  int fontPoints = 0;
  std::string fontFace;
  std::vector<ScriptControl> controls;
};

struct ResourceScript {
  std::map<int, ScriptDialog> dialogs;
  std::map<int, std::string> strings;
  std::map<int, std::string> icons;  // id to file name
  std::string fileVersion;           // "1, 5, 0, 0" as written
  std::string productVersion;
  std::map<std::string, std::string> versionStrings;
  std::string translation;  // "0x0409, 0x04B0" as written
};

// Throws std::runtime_error, naming the line, for what it cannot read.
ResourceScript ReadResourceScript(const std::string& path);

}  // namespace korvel::winapp::resources
