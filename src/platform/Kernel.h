// The kernel services the system calls: version query, run-time library loading, events and
// waits, sleeping, the millisecond tick counter, the debugger output and the last error code.
#pragma once

#include <functional>
#include <string>

#include "platform/WinTypes.h"

namespace korvel::platform {

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

// An entry point of a run-time loaded library. Both ASPI entries fit this one shape:
// SendASPI32Command takes the request block, GetASPI32SupportInfo ignores its argument.
// An empty function is "no such entry".
using FarProc = std::function<DWORD(void* argument)>;

class Kernel {
 public:
  virtual ~Kernel() = default;

  virtual BOOL GetVersionExA(OSVERSIONINFOA& info) = 0;
  // The name and release of the operating system for people when it is not Windows
  // ("Linux 6.1.0-13-amd64"); empty on Windows, whose version record names it. A host that is
  // not Windows may still answer GetVersionExA as one, for the transport's sake.
  virtual std::string NonWindowsSystemText() { return {}; }

  // Zero when the library cannot be loaded.
  virtual HMODULE LoadLibraryA(const char* name) = 0;
  virtual FarProc GetProcAddress(HMODULE module, const char* name) = 0;
  virtual BOOL FreeLibrary(HMODULE module) = 0;

  // Zero when no event could be created.
  virtual HANDLE CreateEventA(bool manualReset, bool initialState) = 0;
  virtual BOOL SetEvent(HANDLE event) = 0;
  virtual BOOL ResetEvent(HANDLE event) = 0;
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;

  // Milliseconds since the system started, wrapping at 2^32.
  virtual DWORD GetTickCount() = 0;
  // Gives the processor away for at least `milliseconds` (0: to any other thread that is ready).
  virtual void Sleep(DWORD milliseconds) = 0;
  // Milliseconds since the program started, for logs; reading it does not move any clock.
  virtual std::uint64_t MillisecondsSinceStart() = 0;

  virtual void OutputDebugStringA(const char* text) = 0;
  virtual DWORD GetLastError() = 0;
};

}  // namespace korvel::platform
