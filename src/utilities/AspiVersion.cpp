#include "utilities/AspiVersion.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/LittleEndian.h"
#include "utilities/BoundedText.h"

namespace korvel::utilities {

using namespace platform;

namespace {

struct VersionString {
  const char* key;
  std::span<char> text;
  const char* fallback;
};

}  // namespace

void AspiVersionStrings(VersionInfo& versions, std::span<char> fileVersion,
                        std::span<char> description, std::span<char> company) {
  const VersionString strings[] = {{"FileVersion", fileVersion, kNotAvailable},
                                   {"FileDescription", description, kNotAvailable},
                                   {"CompanyName", company, ""}};
  for (const VersionString& string : strings) CopyBounded(string.text, string.fallback);

  DWORD handle = 0;
  const DWORD size = versions.GetFileVersionInfoSizeA(kAspiLibraryName, &handle);
  if (size == 0) return;
  std::vector<BYTE> block(size);
  if (versions.GetFileVersionInfoA(kAspiLibraryName, handle, size, block.data()) == 0) return;

  // The first translation entry holds the language in its low half and the code page in its
  // high half; the string table is named language first.
  void* value = nullptr;
  UINT length = 0;
  DWORD translation = 0;
  if (versions.VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length) != 0 &&
      value != nullptr && length >= 4) {
    translation = static_cast<DWORD>(GetLittleEndian(static_cast<const BYTE*>(value), 4));
  }
  const unsigned long swapped = (translation >> 16) | ((translation & 0xFFFFu) << 16);

  for (const VersionString& string : strings) {
    char subBlock[64];
    std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%08lx\\%s", swapped, string.key);
    value = nullptr;
    length = 0;
    if (versions.VerQueryValueA(block.data(), subBlock, &value, &length) != 0 && value != nullptr) {
      // The string's own length bounds the copy too, should its NUL be missing.
      const char* text = static_cast<const char*>(value);
      CopyBounded(string.text, std::string_view(text, strnlen(text, length)));
    } else {
      CopyBounded(string.text, string.fallback);
    }
  }
}

}  // namespace korvel::utilities
