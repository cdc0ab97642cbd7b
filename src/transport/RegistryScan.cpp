#include "transport/RegistryScan.h"

#include <array>
#include <cstring>
#include <optional>

#include "transport/RegistryDeviceKey.h"
#include "transport/RegistryKeys.h"

namespace korvel::transport {

using namespace platform;

namespace {

constexpr char kMakerHardwarePrefix[] = "SCSI\\KORVEL";
constexpr char kMakerWord[] = "KORVEL";
constexpr DWORD kSubkeyNameBuffer = 200;

struct HardwareKeyParts {
  std::string device;
  std::string instance;
};

// "SCSI\KORVEL<rest of device>\<instance>"; nothing for a key of another maker or one without
// an instance part.
std::optional<HardwareKeyParts> SplitHardwareKey(const std::string& key) {
  if (key.compare(0, std::strlen(kMakerHardwarePrefix), kMakerHardwarePrefix) != 0) {
    return std::nullopt;
  }
  const std::size_t deviceStart = key.find(kMakerWord);
  const std::size_t separator = key.find('\\', deviceStart);
  if (separator == std::string::npos || separator + 1 >= key.size()) return std::nullopt;
  return HardwareKeyParts{key.substr(deviceStart, separator - deviceStart),
                          key.substr(separator + 1)};
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int DriveIndexOfLetter(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= 'A' && c <= 'Z') return c - 'A';
  return 0;
}

// The first adapter 0..7 whose device at `target` has `deviceKey` and is not yet taken by an
// earlier entry; 0 when none is.
std::uint8_t ClaimAdapter(ScsiTransport& transport, const std::string& deviceKey, int target,
                          std::array<bool, kAddressSlots>& claimed) {
  for (int adapter = 0; adapter < kMaxAdapters; ++adapter) {
    const int slot = adapter * kTargetsPerAdapter + target;
    std::optional<std::string> key = InquireDeviceKey(transport, static_cast<std::uint8_t>(adapter),
                                                      static_cast<std::uint8_t>(target));
    if (key && *key == deviceKey && !claimed[slot]) {
      claimed[slot] = true;
      return static_cast<std::uint8_t>(adapter);
    }
  }
  return 0;
}

}  // namespace

int ReadEnumDriveLetter(ScsiTransport& transport, const std::string& deviceKey,
                        const std::string& instance, int& target) {
  Registry& registry = transport.platform().registry;
  RegistryKeyChain keys(registry, HKEY_LOCAL_MACHINE, {"Enum", "SCSI", deviceKey, instance});
  if (!keys.complete()) return 0;
  std::optional<std::string> letter =
      ReadStringValue(registry, keys.leaf(), "CurrentDriveLetterAssignment");
  if (!letter) return 0;
  const int drive = letter->empty() ? 0 : DriveIndexOfLetter((*letter)[0]);
  std::optional<std::string> targetId = ReadStringValue(registry, keys.leaf(), "SCSITargetID");
  if (targetId) target = targetId->empty() ? -1 : HexDigitValue((*targetId)[0]);
  return drive;
}

void ScanConfigManagerEnum(ScsiTransport& transport) {
  Registry& registry = transport.platform().registry;
  TransportState& state = transport.state();
  std::array<bool, kAddressSlots> claimed{};

  RegistryKeyChain enumKey(registry, HKEY_DYN_DATA, {"Config Manager", "Enum"});
  if (!enumKey.complete()) return;
  for (DWORD n = 0; state.RegistryDriveCount < kMaxRegistryDrives; ++n) {
    char name[kSubkeyNameBuffer] = {};
    if (registry.RegEnumKeyA(enumKey.leaf(), n, name, kSubkeyNameBuffer) !=
        static_cast<LONG>(ERROR_SUCCESS)) {
      break;
    }
    name[kSubkeyNameBuffer - 1] = '\0';
    RegistryKeyChain subkey(registry, enumKey.leaf(), {name});
    if (!subkey.complete()) continue;
    std::optional<std::string> hardwareKey =
        ReadStringValue(registry, subkey.leaf(), "HardWareKey");
    if (!hardwareKey) continue;
    std::optional<HardwareKeyParts> parts = SplitHardwareKey(*hardwareKey);
    if (!parts) continue;

    int target = -1;
    const int drive = ReadEnumDriveLetter(transport, parts->device, parts->instance, target);
    if (drive <= 1) continue;
    // Without a usable target ID the entry could be matched to no address, and must not index
    // the claim flags.
    if (target < 0 || target >= kTargetsPerAdapter) continue;

    RegistryDriveEntry& entry = state.RegistryDriveTable[state.RegistryDriveCount];
    entry = RegistryDriveEntry{};
    const std::string deviceKey = parts->device.substr(0, kDeviceKeyLength);
    std::memcpy(entry.deviceKey, deviceKey.data(), deviceKey.size());
    entry.driveIndex = drive;
    entry.adapter = ClaimAdapter(transport, deviceKey, target, claimed);
    entry.target = static_cast<std::uint8_t>(target);
    ++state.RegistryDriveCount;
  }
}

}  // namespace korvel::transport
