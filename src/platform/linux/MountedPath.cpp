#include "platform/linux/MountedPath.h"

#include <algorithm>
#include <optional>

namespace korvel::platform::linux_host {

namespace {

namespace fs = std::filesystem;

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

struct Found {
  fs::path path;
  bool directory = false;
};

// The entry of `folder` named `name`: the exact spelling first, else the first one that differs
// only in letter case.
std::optional<Found> EntryNamed(const fs::path& folder, const std::string& name) {
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) return std::nullopt;
  std::optional<Found> found;
  std::size_t seen = 0;
  for (const fs::directory_entry& entry : entries) {
    if (++seen > kMaxFolderEntries) break;
    const std::string entryName = entry.path().filename().string();
    if (!SameIgnoringCase(entryName, name)) continue;
    std::error_code statusError;
    const bool directory = fs::is_directory(entry.symlink_status(statusError));
    if (entryName == name) return Found{entry.path(), directory};
    if (!found) found = Found{entry.path(), directory};
  }
  return found;
}

}  // namespace

DWORD AttributesBelow(const fs::path& mountPoint, const std::vector<std::string>& components,
                      DWORD& error) {
  std::error_code statusError;
  if (!fs::is_directory(fs::symlink_status(mountPoint, statusError))) {
    error = ERROR_NOT_READY;
    return INVALID_FILE_ATTRIBUTES;
  }
  Found at{mountPoint, true};
  for (std::size_t i = 0; i < components.size(); ++i) {
    const bool last = i + 1 == components.size();
    if (!at.directory) {
      error = ERROR_PATH_NOT_FOUND;
      return INVALID_FILE_ATTRIBUTES;
    }
    const std::optional<Found> next = EntryNamed(at.path, components[i]);
    if (!next) {
      error = last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
      return INVALID_FILE_ATTRIBUTES;
    }
    at = *next;
  }
  return at.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace korvel::platform::linux_host
