// Registry access the way the drive-letter mapping does it: keys opened one level at a time for
// KEY_QUERY_VALUE and closed again in reverse order, string values read in two calls.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace korvel::transport {

// Opens `path` below `root`, one level at a time, stopping at the first level that does not
// open (the keys below it cannot exist either). Closes whatever it opened, the last first.
class RegistryKeyChain {
 public:
  RegistryKeyChain(platform::Registry& registry, platform::HKEY root,
                   std::initializer_list<std::string_view> path);
  ~RegistryKeyChain();
  RegistryKeyChain(const RegistryKeyChain&) = delete;
  RegistryKeyChain& operator=(const RegistryKeyChain&) = delete;

  // True when every level of the path is open.
  bool complete() const { return complete_; }
  // The deepest key of the path; only meaningful when complete().
  platform::HKEY leaf() const { return opened_.empty() ? root_ : opened_.back(); }

 private:
  platform::Registry& registry_;
  platform::HKEY root_;
  std::vector<platform::HKEY> opened_;
  bool complete_ = false;
};

// A string value of an open key, up to its first NUL; nothing when it cannot be read. The size
// is asked first and the value then read into a buffer of that size; absurdly large values are
// refused rather than allocated.
std::optional<std::string> ReadStringValue(platform::Registry& registry, platform::HKEY key,
                                           const char* valueName);

}  // namespace korvel::transport
