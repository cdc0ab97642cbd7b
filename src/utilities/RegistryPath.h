// A registry key path walked the way the host routines walk it: one key at a time from a root,
// each opened (or created) with the access the routine asks for, and every key that was opened
// closed again, the deepest first, when the walk goes out of scope.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace korvel::utilities {

enum class KeyWalk {
  Open,          // RegOpenKeyExA: a missing key ends the walk
  CreateOrOpen,  // RegCreateKeyExA: a missing key is made
};

class RegistryPath {
 public:
  RegistryPath(platform::Registry& registry, platform::HKEY root,
               std::initializer_list<std::string_view> path, KeyWalk walk, platform::DWORD access);
  ~RegistryPath();
  RegistryPath(const RegistryPath&) = delete;
  RegistryPath& operator=(const RegistryPath&) = delete;

  // The deepest key of the path, when every key of it is open.
  std::optional<platform::HKEY> leaf() const { return leaf_; }

 private:
  platform::Registry& registry_;
  std::vector<platform::HKEY> opened_;
  std::optional<platform::HKEY> leaf_;
};

// A value read in two steps: its size first, then its data into a buffer of that size.
struct ValueRead {
  bool sizeKnown = false;                           // the size query worked
  std::optional<std::vector<platform::BYTE>> data;  // the data read, when the second step worked
};

// Values larger than any setting these routines read are refused after the size query rather
// than allocated.
inline constexpr platform::DWORD kLargestSettingBytes = 64 * 1024;

// `valueName` null or empty: the key's default value.
ValueRead ReadValueInTwoSteps(platform::Registry& registry, platform::HKEY key,
                              const char* valueName);

// The data of a string value up to its first NUL, or all of it when it has none.
std::string_view ValueText(const std::vector<platform::BYTE>& data);

}  // namespace korvel::utilities
