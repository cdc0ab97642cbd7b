// The shell and message boxes of the real Windows machine (shell32, user32).
#pragma once

#include "platform/Shell.h"

namespace korvel::platform::win32 {

class Win32Shell : public Shell {
 public:
  HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                          const char* directory, int showCommand) override;
  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;
};

}  // namespace korvel::platform::win32
