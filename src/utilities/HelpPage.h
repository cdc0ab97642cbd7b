// The HTML help of the sibling tool "Varnock": its folder from the tool's App Paths entry, and
// the help page opened through the shell.
#pragma once

#include <span>

#include "platform/Platform.h"

namespace korvel::utilities {

// The longest path the shell takes (MAX_PATH, with its NUL).
inline constexpr std::size_t kMaxPath = 260;

// The "Path" value of the App Paths entry of "Varnock.exe". The text is left as it was when the
// entry or its value cannot be read, or when the value does not fit the text (a cut path would
// name another folder).
void HelpBasePath(platform::Registry& registry, std::span<char> text);

// Opens "<base>\Help\varnocks.html" with the shell's "open" verb and tells the user, in a box
// owned by `owner`, when the shell could not: out of memory, file or path not found, not a
// Windows program. Without an App Paths entry nothing is opened and "File not found" is shown,
// as the shell would for a tool that is not installed.
void OpenHelpPage(platform::Platform& platform, platform::HWND owner);

}  // namespace korvel::utilities
