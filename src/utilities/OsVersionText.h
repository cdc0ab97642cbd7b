// A name and version text of the operating system, for people: "Windows 98 V4.10.1998 " on
// Windows, the kernel's name and release ("Linux 6.1.0-13-amd64") on a host that is not Windows.
#pragma once

#include <span>

#include "platform/Kernel.h"

namespace korvel::utilities {

// Cut to the text's size. "Unknown" when the version cannot be asked for; a platform id other
// than those of Windows 3.1 (Win32s), 9x and NT is named "Unknown" too.
void OsVersionText(platform::Kernel& kernel, std::span<char> text);

}  // namespace korvel::utilities
