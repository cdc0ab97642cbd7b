// The registry calls of the simulated PC over a RegistryTree, with open keys counted so that
// tests can check that every key opened was closed.
#pragma once

#include <map>
#include <mutex>

#include "platform/Registry.h"
#include "platform/sim/RegistryTree.h"

namespace korvel::platform::sim {

class SimulatedRegistry : public Registry {
 public:
  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access,
                     HKEY* result) override;
  // Making a key needs KEY_CREATE_SUB_KEY on its parent; opening an existing one does not.
  LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result,
                       DWORD* disposition) override;
  LONG RegEnumKeyA(HKEY key, DWORD index, char* name, DWORD size) override;
  LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                        DWORD* size) override;
  LONG RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                      DWORD size) override;
  LONG RegCloseKey(HKEY key) override;

  RegistryTree& tree() { return tree_; }
  int openKeys() const;
  int keysOpened() const;

 private:
  struct OpenKey {
    RegistryKey* key;
    DWORD access;
  };
  // A predefined root or an open handle; null otherwise. Call with mutex_ held.
  RegistryKey* Resolve(HKEY key, DWORD* access);
  // A new handle on `key`. Call with mutex_ held.
  HKEY Open(RegistryKey& key, DWORD access);

  mutable std::mutex mutex_;
  RegistryTree tree_;
  std::map<HKEY, OpenKey> open_;
  HKEY next_ = 0x00000C40;
  int opened_ = 0;
};

}  // namespace korvel::platform::sim
