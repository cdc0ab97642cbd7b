#include "platform/win32/Win32Shell.h"

#include "platform/win32/HandleBits.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>
// shellapi.h builds on windows.h.
#include <shellapi.h>

namespace korvel::platform::win32 {

HINSTANCE Win32Shell::ShellExecuteA(HWND owner, const char* verb, const char* file,
                                    const char* parameters, const char* directory,
                                    int showCommand) {
  // The result is no real instance: a number, above 32 for success.
  return HandleBits(::ShellExecuteA(FromHandleBits<::HWND>(owner), verb, file, parameters,
                                    directory, showCommand));
}

int Win32Shell::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  return ::MessageBoxA(FromHandleBits<::HWND>(owner), text, caption, type);
}

}  // namespace korvel::platform::win32
