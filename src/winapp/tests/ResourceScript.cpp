#include "ResourceScript.h"

#include <fstream>
#include <regex>
#include <stdexcept>

namespace korvel::winapp::resources {
namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits at commas outside double quotes; quoted parts lose their quotes ("" stays empty).
std::vector<std::string> Arguments(const std::string& text) {
  std::vector<std::string> parts;
  std::string current;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      parts.push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(Trim(current));
  return parts;
}

std::set<std::string> Styles(const std::string& text) {
  std::set<std::string> styles;
  std::string::size_type start = 0;
  while (start <= text.size()) {
    const auto bar = text.find('|', start);
    const std::string name = Trim(text.substr(start, bar - start));
    if (!name.empty()) styles.insert(name);
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return styles;
}

int ControlId(const std::string& text) {
  if (text == "IDOK") return 1;
  if (text == "IDCANCEL") return 2;
  return std::stoi(text);
}

ScriptControl ReadControl(const std::string& keyword, const std::vector<std::string>& args) {
  ScriptControl control;
  control.keyword = keyword;
  std::size_t next = 0;
  if (keyword != "COMBOBOX") control.text = args.at(next++);
  control.id = ControlId(args.at(next++));
  if (keyword == "CONTROL") {
    control.windowClass = args.at(next++);
    control.styles = Styles(args.at(next++));
  }
  control.x = std::stoi(args.at(next++));
  control.y = std::stoi(args.at(next++));
  control.width = std::stoi(args.at(next++));
  control.height = std::stoi(args.at(next++));
  if (keyword != "CONTROL" && next < args.size()) control.styles = Styles(args.at(next++));
  return control;
}

}  // namespace

ResourceScript ReadResourceScript(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.rfind("//", 0) == 0) continue;
    lines.push_back(line);
  }

  static const std::regex dialogHeader(R"(^(\d+) DIALOGEX 0, 0, (\d+), (\d+)$)");
  static const std::regex iconLine(R"re(^(\d+) ICON "([^"]*)"$)re");
  static const std::regex stringLine(R"re(^(\d+)\s+"([^"]*)"$)re");
  static const std::regex valueLine(R"re(^VALUE "([^"]*)", (.*)$)re");
  static const std::regex controlLine(R"(^([A-Z]+)\s+(.*)$)");

  ResourceScript script;
  ScriptDialog* dialog = nullptr;
  bool inDialogBody = false;
  bool inStrings = false;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    std::smatch match;
    try {
      if (std::regex_match(line, match, dialogHeader)) {
        dialog = &script.dialogs[std::stoi(match[1])];
        dialog->width = std::stoi(match[2]);
        dialog->height = std::stoi(match[3]);
        inDialogBody = false;
      } else if (std::regex_match(line, match, iconLine)) {
        script.icons[std::stoi(match[1])] = match[2];
      } else if (line == "STRINGTABLE") {
        inStrings = true;
        dialog = nullptr;
      } else if (line == "BEGIN") {
        if (dialog != nullptr) inDialogBody = true;
      } else if (line == "END") {
        if (inDialogBody) dialog = nullptr;
        inDialogBody = false;
        inStrings = false;
      } else if (inStrings && std::regex_match(line, match, stringLine)) {
        script.strings[std::stoi(match[1])] = match[2];
      } else if (dialog != nullptr && !inDialogBody) {
        if (line.rfind("STYLE ", 0) == 0) dialog->styles = Styles(line.substr(6));
        if (line.rfind("EXSTYLE ", 0) == 0) dialog->extendedStyles = Styles(line.substr(8));
        if (line.rfind("CAPTION ", 0) == 0) dialog->caption = Arguments(line.substr(8)).at(0);
        if (line.rfind("FONT ", 0) == 0) {
          const auto args = Arguments(line.substr(5));
          dialog->fontPoints = std::stoi(args.at(0));
          dialog->fontFace = args.at(1);
        }
      } else if (inDialogBody && std::regex_match(line, match, controlLine)) {
        dialog->controls.push_back(ReadControl(match[1], Arguments(match[2])));
      } else if (line.rfind("FILEVERSION ", 0) == 0) {
        script.fileVersion = line.substr(12);
      } else if (line.rfind("PRODUCTVERSION ", 0) == 0) {
        script.productVersion = line.substr(15);
      } else if (std::regex_match(line, match, valueLine)) {
        if (match[1] == "Translation") {
          script.translation = match[2];
        } else {
          script.versionStrings[match[1]] = Arguments(match[2]).at(0);
        }
      }
    } catch (const std::exception& error) {
      throw std::runtime_error(path + ": cannot read line \"" + line + "\": " + error.what());
    }
  }
  return script;
}

}  // namespace korvel::winapp::resources
