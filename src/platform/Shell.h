// The Windows shell and message boxes as the host routines use them, shaped after ShellExecuteA
// and MessageBoxA.
#pragma once

#include "platform/WinTypes.h"

namespace korvel::platform {

class Shell {
 public:
  virtual ~Shell() = default;

  // Opens `file` with `verb`. A result above 32 is success; 0 to 32 name the failure (0 out of
  // memory, 2 file not found, 3 path not found, 11 not a Windows program, ...).
  virtual HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file,
                                  const char* parameters, const char* directory,
                                  int showCommand) = 0;
  // The button pressed (IDOK ...), or 0 when the box could not be shown.
  virtual int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) = 0;
};

}  // namespace korvel::platform
