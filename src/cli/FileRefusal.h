// Why Load File refused a file, in words a user can act on. The status line says only that the
// file is no valid upgrade file; a path with a typo, a folder, a file held by another program or
// an image for the other model all look the same there.
#pragma once

#include <string>

#include "upgrade/UpgradeFileCheck.h"

namespace korvel::cli {

// One line (without its end) for a refusal the status line does not explain, or an empty text
// when it does (a valid file, a checksum error, a read error).
std::string FileRefusalText(const upgrade::FileCheckResult& check, const std::string& path);

}  // namespace korvel::cli
