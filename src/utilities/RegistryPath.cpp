#include "utilities/RegistryPath.h"

#include <cstring>
#include <string>

namespace korvel::utilities {

using namespace platform;

RegistryPath::RegistryPath(Registry& registry, HKEY root,
                           std::initializer_list<std::string_view> path, KeyWalk walk, DWORD access)
    : registry_(registry) {
  HKEY parent = root;
  for (std::string_view level : path) {
    const std::string name(level);
    HKEY key = 0;
    const LONG result =
        walk == KeyWalk::Open
            ? registry_.RegOpenKeyExA(parent, name.c_str(), 0, access, &key)
            : registry_.RegCreateKeyExA(parent, name.c_str(), REG_OPTION_NON_VOLATILE, access, &key,
                                        nullptr);
    if (result != static_cast<LONG>(ERROR_SUCCESS)) return;
    opened_.push_back(key);
    parent = key;
  }
  leaf_ = parent;
}

RegistryPath::~RegistryPath() {
  for (auto key = opened_.rbegin(); key != opened_.rend(); ++key) registry_.RegCloseKey(*key);
}

ValueRead ReadValueInTwoSteps(Registry& registry, HKEY key, const char* valueName) {
  ValueRead read;
  DWORD type = 0;
  DWORD size = 0;
  if (registry.RegQueryValueExA(key, valueName, &type, nullptr, &size) !=
      static_cast<LONG>(ERROR_SUCCESS)) {
    return read;
  }
  read.sizeKnown = true;
  if (size > kLargestSettingBytes) return read;
  std::vector<BYTE> data(size);
  DWORD got = size;
  // A zero-sized value still takes the second step, with a buffer of no bytes.
  BYTE none = 0;
  if (registry.RegQueryValueExA(key, valueName, &type, size == 0 ? &none : data.data(), &got) !=
          static_cast<LONG>(ERROR_SUCCESS) ||
      got > size) {
    return read;
  }
  data.resize(got);
  read.data = std::move(data);
  return read;
}

std::string_view ValueText(const std::vector<BYTE>& data) {
  if (data.empty()) return {};
  const char* text = reinterpret_cast<const char*>(data.data());
  return std::string_view(text, strnlen(text, data.size()));
}

}  // namespace korvel::utilities
