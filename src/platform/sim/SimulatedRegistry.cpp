#include "platform/sim/SimulatedRegistry.h"

#include <cstring>

namespace korvel::platform::sim {

RegistryKey* SimulatedRegistry::Resolve(HKEY key, DWORD* access) {
  if (RegistryKey* root = tree_.Root(key)) {
    if (access != nullptr) *access = KEY_ALL_ACCESS;
    return root;
  }
  auto it = open_.find(key);
  if (it == open_.end()) return nullptr;
  if (access != nullptr) *access = it->second.access;
  return it->second.key;
}

LONG SimulatedRegistry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD, DWORD access,
                                      HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  RegistryKey* parent = Resolve(key, nullptr);
  if (parent == nullptr) return ERROR_INVALID_HANDLE;
  RegistryKey* found = RegistryTree::Find(*parent, subKey == nullptr ? "" : subKey);
  if (found == nullptr) return ERROR_FILE_NOT_FOUND;
  *result = Open(*found, access);
  return ERROR_SUCCESS;
}

HKEY SimulatedRegistry::Open(RegistryKey& key, DWORD access) {
  const HKEY handle = next_;
  next_ += 4;
  open_[handle] = OpenKey{&key, access};
  ++opened_;
  return handle;
}

LONG SimulatedRegistry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD, DWORD access,
                                        HKEY* result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(mutex_);
  DWORD parentAccess = 0;
  RegistryKey* parent = Resolve(key, &parentAccess);
  if (parent == nullptr) return ERROR_INVALID_HANDLE;
  const std::string_view path = subKey == nullptr ? std::string_view() : subKey;
  RegistryKey* existing = RegistryTree::Find(*parent, path);
  if (existing == nullptr && (parentAccess & KEY_CREATE_SUB_KEY) == 0) {
    return ERROR_ACCESS_DENIED;
  }
  bool created = false;
  RegistryKey& opened =
      existing != nullptr ? *existing : RegistryTree::CreateBelow(*parent, path, created);
  *result = Open(opened, access);
  if (disposition != nullptr) {
    *disposition = existing != nullptr ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  }
  return ERROR_SUCCESS;
}

LONG SimulatedRegistry::RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD size) {
  std::lock_guard lock(mutex_);
  RegistryKey* parent = Resolve(key, nullptr);
  if (parent == nullptr) return ERROR_INVALID_HANDLE;
  if (index >= parent->subkeys().size()) return ERROR_NO_MORE_ITEMS;
  if (name == nullptr) return ERROR_INVALID_PARAMETER;
  const std::string& subkey = parent->subkeys()[index]->name();
  if (subkey.size() + 1 > size) return ERROR_MORE_DATA;
  std::memcpy(name, subkey.c_str(), subkey.size() + 1);
  return ERROR_SUCCESS;
}

LONG SimulatedRegistry::RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                         DWORD* size) {
  std::lock_guard lock(mutex_);
  RegistryKey* found = Resolve(key, nullptr);
  if (found == nullptr) return ERROR_INVALID_HANDLE;
  const RegistryValue* value = found->Value(valueName == nullptr ? "" : valueName);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  if (type != nullptr) *type = value->type;
  if (size == nullptr) return ERROR_SUCCESS;
  const auto needed = static_cast<DWORD>(value->data.size());
  if (data == nullptr) {
    *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed > 0) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

LONG SimulatedRegistry::RegSetValueExA(HKEY key, const char* valueName, DWORD type,
                                       const BYTE* data, DWORD size) {
  std::lock_guard lock(mutex_);
  DWORD access = 0;
  RegistryKey* found = Resolve(key, &access);
  if (found == nullptr) return ERROR_INVALID_HANDLE;
  if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data == nullptr && size != 0) return ERROR_INVALID_PARAMETER;
  std::vector<BYTE> bytes;
  if (size > 0) bytes.assign(data, data + size);
  found->SetValue(valueName == nullptr ? "" : valueName, type, std::move(bytes));
  return ERROR_SUCCESS;
}

LONG SimulatedRegistry::RegCloseKey(HKEY key) {
  std::lock_guard lock(mutex_);
  if (tree_.Root(key) != nullptr) return ERROR_SUCCESS;  // closing a root is harmless
  return open_.erase(key) == 0 ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
}

int SimulatedRegistry::openKeys() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(open_.size());
}

int SimulatedRegistry::keysOpened() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

}  // namespace korvel::platform::sim
