#include "platform/win32/Win32Registry.h"

#include "platform/win32/HandleBits.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {
namespace {

// The predefined roots (HKEY_LOCAL_MACHINE ...) are small negative numbers in a 32-bit process,
// as are the platform's: the bits carry over unchanged.
::HKEY Key(HKEY key) {
  return FromHandleBits<::HKEY>(key);
}

// Win32's DWORD is `unsigned long`, the platform's a 32-bit unsigned int of the same width; an
// output goes through a local of the real type.
class DwordOut {
 public:
  explicit DwordOut(DWORD* target) : target_(target), value_(target ? *target : 0) {}
  ~DwordOut() {
    if (target_ != nullptr) *target_ = static_cast<DWORD>(value_);
  }
  ::DWORD* get() { return target_ != nullptr ? &value_ : nullptr; }

 private:
  DWORD* target_;
  ::DWORD value_;
};

}  // namespace

LONG Win32Registry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access,
                                  HKEY* result) {
  ::HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExA(Key(key), subKey, options, access, &opened);
  if (result != nullptr) *result = status == ERROR_SUCCESS ? HandleBits(opened) : 0;
  return status;
}

LONG Win32Registry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access,
                                    HKEY* result, DWORD* disposition) {
  ::HKEY opened = nullptr;
  DwordOut how(disposition);
  const LONG status =
      ::RegCreateKeyExA(Key(key), subKey, 0, nullptr, options, access, nullptr, &opened, how.get());
  if (result != nullptr) *result = status == ERROR_SUCCESS ? HandleBits(opened) : 0;
  return status;
}

LONG Win32Registry::RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD size) {
  return ::RegEnumKeyA(Key(key), index, name, size);
}

LONG Win32Registry::RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                     DWORD* size) {
  DwordOut kind(type);
  DwordOut bytes(size);
  return ::RegQueryValueExA(Key(key), valueName, nullptr, kind.get(), data, bytes.get());
}

LONG Win32Registry::RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                                   DWORD size) {
  return ::RegSetValueExA(Key(key), valueName, 0, type, data, size);
}

LONG Win32Registry::RegCloseKey(HKEY key) {
  return ::RegCloseKey(Key(key));
}

}  // namespace korvel::platform::win32
