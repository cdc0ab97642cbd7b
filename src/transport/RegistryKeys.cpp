#include "transport/RegistryKeys.h"

#include <cstring>

namespace korvel::transport {

using namespace platform;

namespace {

// Every value this program reads is a short name; anything larger is not what it looks for.
constexpr DWORD kLargestValueBytes = 64 * 1024;

}  // namespace

RegistryKeyChain::RegistryKeyChain(Registry& registry, HKEY root,
                                   std::initializer_list<std::string_view> path)
    : registry_(registry), root_(root) {
  HKEY parent = root;
  for (std::string_view level : path) {
    const std::string name(level);
    HKEY key = 0;
    if (registry_.RegOpenKeyExA(parent, name.c_str(), 0, KEY_QUERY_VALUE, &key) !=
        static_cast<LONG>(ERROR_SUCCESS)) {
      return;
    }
    opened_.push_back(key);
    parent = key;
  }
  complete_ = true;
}

RegistryKeyChain::~RegistryKeyChain() {
  for (auto key = opened_.rbegin(); key != opened_.rend(); ++key) registry_.RegCloseKey(*key);
}

std::optional<std::string> ReadStringValue(Registry& registry, HKEY key, const char* valueName) {
  DWORD type = 0;
  DWORD size = 0;
  if (registry.RegQueryValueExA(key, valueName, &type, nullptr, &size) !=
      static_cast<LONG>(ERROR_SUCCESS)) {
    return std::nullopt;
  }
  if (size == 0) return std::string();
  if (size > kLargestValueBytes) return std::nullopt;
  // One byte more than asked for, so that a value stored without its NUL still ends.
  std::vector<BYTE> data(size + 1, 0);
  DWORD read = size;
  if (registry.RegQueryValueExA(key, valueName, &type, data.data(), &read) !=
      static_cast<LONG>(ERROR_SUCCESS)) {
    return std::nullopt;
  }
  if (read > size) return std::nullopt;
  const char* text = reinterpret_cast<const char*>(data.data());
  return std::string(text, strnlen(text, read));
}

}  // namespace korvel::transport
