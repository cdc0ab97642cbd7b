#include "utilities/DiscInsertSettings.h"

#include <string_view>

#include "utilities/BoundedText.h"
#include "utilities/RegistryPath.h"

namespace korvel::utilities {

using namespace platform;

namespace {

constexpr char kAutoRunValue[] = "NoDriveTypeAutoRun";

// Software\Microsoft\Windows\CurrentVersion\Policies\Explorer under HKEY_CURRENT_USER.
RegistryPath ExplorerPolicies(Registry& registry, KeyWalk walk, DWORD access) {
  return RegistryPath(
      registry, HKEY_CURRENT_USER,
      {"Software", "Microsoft", "Windows", "CurrentVersion", "Policies", "Explorer"}, walk, access);
}

// AudioCD\shell under HKEY_CLASSES_ROOT, made when missing.
RegistryPath AudioCdShell(Registry& registry) {
  return RegistryPath(registry, HKEY_CLASSES_ROOT, {"AudioCD", "shell"}, KeyWalk::CreateOrOpen,
                      KEY_ALL_ACCESS);
}

}  // namespace

std::uint8_t GetAutoRunMask(Registry& registry) {
  const RegistryPath key = ExplorerPolicies(registry, KeyWalk::Open, KEY_QUERY_VALUE);
  if (!key.leaf()) return 0;
  const ValueRead read = ReadValueInTwoSteps(registry, *key.leaf(), kAutoRunValue);
  if (!read.data || read.data->empty()) return 0;
  return read.data->front();
}

void SetAutoRunMask(Registry& registry, std::uint8_t mask) {
  const RegistryPath key = ExplorerPolicies(registry, KeyWalk::CreateOrOpen, KEY_ALL_ACCESS);
  if (!key.leaf()) return;
  const BYTE data[4] = {mask, 0, 0, 0};
  registry.RegSetValueExA(*key.leaf(), kAutoRunValue, REG_BINARY, data, sizeof data);
}

char* GetAudioCdShellDefault(Registry& registry, std::span<char> text) {
  const RegistryPath key = AudioCdShell(registry);
  if (!key.leaf()) return text.data();
  const ValueRead read = ReadValueInTwoSteps(registry, *key.leaf(), nullptr);
  if (!read.sizeKnown) return text.data();
  if (!read.data) return CopyBounded(text, "");
  return CopyBounded(text, ValueText(*read.data));
}

std::optional<std::string> ReadAudioCdShellDefault(Registry& registry) {
  const RegistryPath key(registry, HKEY_CLASSES_ROOT, {"AudioCD", "shell"}, KeyWalk::Open,
                         KEY_QUERY_VALUE);
  if (!key.leaf()) return std::nullopt;
  const ValueRead read = ReadValueInTwoSteps(registry, *key.leaf(), nullptr);
  if (!read.sizeKnown) return std::nullopt;
  if (!read.data) return std::string();
  return std::string(ValueText(*read.data));
}

void SetAudioCdShellDefault(Registry& registry, const char* text) {
  const RegistryPath key = AudioCdShell(registry);
  if (!key.leaf()) return;
  const std::string_view verb = text == nullptr ? std::string_view() : text;
  registry.RegSetValueExA(*key.leaf(), nullptr, REG_SZ, reinterpret_cast<const BYTE*>(verb.data()),
                          static_cast<DWORD>(verb.size()));
}

}  // namespace korvel::utilities
