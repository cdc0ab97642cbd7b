#include "utilities/OsVersionText.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "utilities/BoundedText.h"

namespace korvel::utilities {

using namespace platform;

namespace {

constexpr char kUnknownSystem[] = "Unknown";

const char* SystemName(const OSVERSIONINFOA& info) {
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      return "Windows";
    case VER_PLATFORM_WIN32_WINDOWS:
      return info.dwMinorVersion == 10 ? "Windows 98" : "Windows 95";
    case VER_PLATFORM_WIN32_NT:
      return info.dwMajorVersion == 5 ? "Windows 2000" : "Windows NT";
    default:
      return kUnknownSystem;
  }
}

}  // namespace

void OsVersionText(Kernel& kernel, std::span<char> text) {
  if (text.empty()) return;
  if (const std::string other = kernel.NonWindowsSystemText(); !other.empty()) {
    CopyBounded(text, other);
    return;
  }
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  if (kernel.GetVersionExA(info) == 0) {
    CopyBounded(text, kUnknownSystem);
    return;
  }
  // The service-pack text need not end inside its field.
  const std::string servicePack(info.szCSDVersion,
                                strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  std::snprintf(text.data(), text.size(), "%s V%lu.%02lu.%lu %s", SystemName(info),
                static_cast<unsigned long>(info.dwMajorVersion),
                static_cast<unsigned long>(info.dwMinorVersion),
                static_cast<unsigned long>(info.dwBuildNumber & 0xFFFFu), servicePack.c_str());
}

}  // namespace korvel::utilities
