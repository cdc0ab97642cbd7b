// A Windows path on a drive letter ("E:\Vcd\Info.vcd") taken apart: the letter and the names
// below the drive's root, as both the simulated PC and the Linux machine resolve them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korvel::platform {

// Paths deeper than this are refused rather than walked.
inline constexpr std::size_t kMaxDrivePathComponents = 64;

struct DrivePath {
  char letter = 'C';  // upper case
  // The names from the root down; "." and empty names are gone and ".." has taken its name
  // away (never above the root).
  std::vector<std::string> components;
};

// A path counts as a drive path when it begins with a letter and a colon followed by the end
// or a separator ("\" or "/"); anything else is no drive path. A drive path with more than
// kMaxDrivePathComponents names is refused too, with `tooDeep` set.
std::optional<DrivePath> ParseDrivePath(const char* path, bool* tooDeep = nullptr);

}  // namespace korvel::platform
