#include "platform/DrivePath.h"

#include <cstring>

namespace korvel::platform {

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

std::optional<DrivePath> ParseDrivePath(const char* path, bool* tooDeep) {
  if (tooDeep != nullptr) *tooDeep = false;
  if (path == nullptr || !IsAsciiLetter(path[0]) || path[1] != ':') return std::nullopt;
  if (path[2] != '\0' && !IsSeparator(path[2])) return std::nullopt;
  DrivePath parsed;
  parsed.letter = static_cast<char>(path[0] & ~0x20);
  const char* at = path + 2;
  while (*at != '\0') {
    while (IsSeparator(*at)) ++at;
    const char* end = at;
    while (*end != '\0' && !IsSeparator(*end)) ++end;
    const std::string name(at, end);
    at = end;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!parsed.components.empty()) parsed.components.pop_back();
      continue;
    }
    if (parsed.components.size() == kMaxDrivePathComponents) {
      if (tooDeep != nullptr) *tooDeep = true;
      return std::nullopt;
    }
    parsed.components.push_back(name);
  }
  return parsed;
}

}  // namespace korvel::platform
