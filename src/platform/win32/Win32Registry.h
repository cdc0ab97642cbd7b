// The registry of the real Windows machine (advapi32).
#pragma once

#include "platform/Registry.h"

namespace korvel::platform::win32 {

class Win32Registry : public Registry {
 public:
  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access,
                     HKEY* result) override;
  LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result,
                       DWORD* disposition) override;
  LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD size) override;
  LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                        DWORD* size) override;
  LONG RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                      DWORD size) override;
  LONG RegCloseKey(HKEY key) override;
};

}  // namespace korvel::platform::win32
