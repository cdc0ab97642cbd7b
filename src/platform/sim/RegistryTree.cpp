#include "platform/sim/RegistryTree.h"

#include <algorithm>
#include <cctype>

namespace korvel::platform::sim {
namespace {

char Fold(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool LessNoCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Fold(x) < Fold(y); });
}

// Splits "A\B\C" into its names, skipping empty ones.
std::vector<std::string_view> Names(std::string_view path) {
  std::vector<std::string_view> names;
  while (!path.empty()) {
    std::size_t cut = path.find('\\');
    std::string_view name = path.substr(0, cut);
    if (!name.empty()) names.push_back(name);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  return names;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Fold(x) == Fold(y); });
}

RegistryKey* RegistryKey::Subkey(std::string_view name) const {
  for (const auto& key : subkeys_) {
    if (EqualsNoCase(key->name(), name)) return key.get();
  }
  return nullptr;
}

RegistryKey& RegistryKey::AddSubkey(std::string_view name) {
  if (RegistryKey* existing = Subkey(name)) return *existing;
  auto position = std::find_if(subkeys_.begin(), subkeys_.end(),
                               [&](const auto& key) { return LessNoCase(name, key->name()); });
  return **subkeys_.insert(position, std::make_unique<RegistryKey>(std::string(name)));
}

const RegistryValue* RegistryKey::Value(std::string_view name) const {
  for (const RegistryValue& value : values_) {
    if (EqualsNoCase(value.name, name)) return &value;
  }
  return nullptr;
}

void RegistryKey::SetValue(std::string_view name, DWORD type, std::vector<BYTE> data) {
  for (RegistryValue& value : values_) {
    if (EqualsNoCase(value.name, name)) {
      value.type = type;
      value.data = std::move(data);
      return;
    }
  }
  values_.push_back(RegistryValue{std::string(name), type, std::move(data)});
}

void RegistryKey::SetString(std::string_view name, std::string_view text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  SetValue(name, REG_SZ, std::move(data));
}

RegistryTree::RegistryTree() {
  const std::pair<HKEY, const char*> kRoots[] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                                                 {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                                                 {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                                                 {HKEY_USERS, "HKEY_USERS"},
                                                 {HKEY_DYN_DATA, "HKEY_DYN_DATA"}};
  for (const auto& [handle, name] : kRoots) {
    roots_.push_back(RootEntry{handle, std::make_unique<RegistryKey>(name)});
  }
}

RegistryKey* RegistryTree::Root(HKEY root) const {
  for (const RootEntry& entry : roots_) {
    if (entry.handle == root) return entry.key.get();
  }
  return nullptr;
}

RegistryKey* RegistryTree::Root(std::string_view name) const {
  for (const RootEntry& entry : roots_) {
    if (EqualsNoCase(entry.key->name(), name)) return entry.key.get();
  }
  return nullptr;
}

RegistryKey* RegistryTree::Find(RegistryKey& from, std::string_view path) {
  RegistryKey* key = &from;
  for (std::string_view name : Names(path)) {
    key = key->Subkey(name);
    if (key == nullptr) return nullptr;
  }
  return key;
}

RegistryKey& RegistryTree::CreateBelow(RegistryKey& from, std::string_view path, bool& created) {
  RegistryKey* key = &from;
  created = false;
  for (std::string_view name : Names(path)) {
    RegistryKey* existing = key->Subkey(name);
    created = existing == nullptr;
    key = created ? &key->AddSubkey(name) : existing;
  }
  return *key;
}

RegistryKey* RegistryTree::Create(std::string_view fullPath) {
  std::vector<std::string_view> names = Names(fullPath);
  if (names.empty()) return nullptr;
  RegistryKey* key = Root(names.front());
  if (key == nullptr) return nullptr;
  for (std::size_t i = 1; i < names.size(); ++i) key = &key->AddSubkey(names[i]);
  return key;
}

}  // namespace korvel::platform::sim
