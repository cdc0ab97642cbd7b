// The registry calls the system makes, shaped after the Win32 functions of the same names.
// Every call returns a system error code, ERROR_SUCCESS when it worked.
#pragma once

#include "platform/WinTypes.h"

namespace korvel::platform {

class Registry {
 public:
  virtual ~Registry() = default;

  virtual LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access,
                             HKEY* result) = 0;
  // Opens `subKey`, making it (and any missing key above it) first when it does not exist.
  // `*disposition`, when asked for, says which: REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
  virtual LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access,
                               HKEY* result, DWORD* disposition) = 0;
  // Copies the name of subkey `index` with its NUL into `name` (`size` bytes).
  virtual LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD size) = 0;
  // With a null `data`, only `*size` is set (the bytes the value needs, its NUL included).
  virtual LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                DWORD* size) = 0;
  virtual LONG RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                              DWORD size) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;
};

}  // namespace korvel::platform
