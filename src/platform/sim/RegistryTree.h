// The registry's contents: keys under the predefined roots, each with named values and
// subkeys. Names compare without regard to letter case, as in Windows; subkeys are listed in
// alphabetical order.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

namespace korvel::platform::sim {

struct RegistryValue {
  std::string name;  // empty: the default value
  DWORD type = REG_SZ;
  std::vector<BYTE> data;
};

class RegistryKey {
 public:
  explicit RegistryKey(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }

  RegistryKey* Subkey(std::string_view name) const;
  RegistryKey& AddSubkey(std::string_view name);  // the existing one when present
  const std::vector<std::unique_ptr<RegistryKey>>& subkeys() const { return subkeys_; }

  const RegistryValue* Value(std::string_view name) const;
  void SetValue(std::string_view name, DWORD type, std::vector<BYTE> data);
  void SetString(std::string_view name, std::string_view text);  // REG_SZ with its NUL
  const std::vector<RegistryValue>& values() const { return values_; }

 private:
  std::string name_;
  std::vector<std::unique_ptr<RegistryKey>> subkeys_;
  std::vector<RegistryValue> values_;
};

class RegistryTree {
 public:
  RegistryTree();
  // A predefined root by handle (HKEY_LOCAL_MACHINE ...), or null.
  RegistryKey* Root(HKEY root) const;
  // A root by name ("HKEY_DYN_DATA"), or null.
  RegistryKey* Root(std::string_view name) const;
  // Follows a backslash-separated path below `from`; null when a key is missing.
  static RegistryKey* Find(RegistryKey& from, std::string_view path);
  // Follows a path below `from`, making each missing key; `created` tells whether the last key
  // was made now. An empty path gives `from` itself.
  static RegistryKey& CreateBelow(RegistryKey& from, std::string_view path, bool& created);
  // Makes every missing key of a path that starts with a root name; null for an unknown root.
  RegistryKey* Create(std::string_view fullPath);

 private:
  struct RootEntry {
    HKEY handle;
    std::unique_ptr<RegistryKey> key;
  };
  std::vector<RootEntry> roots_;
};

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace korvel::platform::sim
