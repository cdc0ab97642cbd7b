// A drive path resolved on a mounted file system the way Windows resolves it on a CD: each name
// matched without regard to letter case, never leaving the mount point (links are not
// followed), with a bounded number of entries looked at in each folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace korvel::platform::linux_host {

// Entries looked at in one folder before the name counts as absent.
inline constexpr std::size_t kMaxFolderEntries = 100000;

// FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL for `components` below `mountPoint`; else
// INVALID_FILE_ATTRIBUTES with `error` ERROR_FILE_NOT_FOUND (the last name is absent),
// ERROR_PATH_NOT_FOUND (a folder on the way is absent or is a file) or ERROR_NOT_READY (the
// mount point cannot be read).
DWORD AttributesBelow(const std::filesystem::path& mountPoint,
                      const std::vector<std::string>& components, DWORD& error);

}  // namespace korvel::platform::linux_host
