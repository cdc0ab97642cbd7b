// What the developer tools read: a regular file, and not the one they write. A folder, a FIFO or
// a device named as the input is refused before it is opened, since a FIFO waits for a writer
// that may never come and /dev/zero never ends.
#pragma once

#include <string>

namespace korvel::tools {

// Empty when `path` may be read; otherwise why not, ready to follow "cannot read PATH: ".
std::string InputRefusal(const std::string& path);

// Whether `output` names the file that `input` names, through whatever hard or symbolic link;
// false when either does not exist yet.
bool IsSameFile(const std::string& input, const std::string& output);

}  // namespace korvel::tools
