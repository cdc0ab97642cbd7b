// A field of the kernel's mount tables (/proc/self/mounts, /proc/self/mountinfo) as it was
// before the kernel escaped it: blanks, tabs, newlines and backslashes are written "\ooo".
#pragma once

#include <string>

namespace korvel::platform::linux_host {

std::string UnescapeMountField(const std::string& field);

}  // namespace korvel::platform::linux_host
