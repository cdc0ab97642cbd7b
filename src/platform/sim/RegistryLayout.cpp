#include "platform/sim/RegistryLayout.h"

#include <cstdio>

namespace korvel::platform::sim {
namespace {

// Windows 9x names its enumerated device nodes with 8 hexadecimal digits.
constexpr unsigned kFirstDevNode = 0xC29A0010;

std::string Field(const auto& chars) {
  return std::string(chars.begin(), chars.end());
}

std::string Hex(unsigned value, const char* format) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

const char* PeripheralName(std::uint8_t peripheral) {
  switch (peripheral & 0x1F) {
    case 0x00:
      return "DiskPeripheral";
    case 0x05:
      return "CdRomPeripheral";
    default:
      return "OtherPeripheral";
  }
}

void FillWindows9x(const Scenario& scenario, RegistryTree& tree) {
  RegistryKey& enumerated = *tree.Create("HKEY_DYN_DATA\\Config Manager\\Enum");
  unsigned node = kFirstDevNode;
  // The root of the device tree is enumerated too, and is no SCSI device.
  enumerated.AddSubkey(Hex(node, "%08X")).SetString("HardWareKey", "HTREE\\ROOT\\0");
  RegistryKey& scsi = *tree.Create("HKEY_LOCAL_MACHINE\\Enum\\SCSI");
  for (const AdapterSettings& adapter : scenario.adapters) {
    for (const TargetSettings& target : adapter.targets) {
      if (!target.letter) continue;
      const std::string deviceKey = DeviceKeyOf(target.device);
      const std::string instance =
          "HA" + std::to_string(adapter.id) + "&TARGET" + Hex(target.id, "%X") + "&LUN0";
      node += 0x10;
      enumerated.AddSubkey(Hex(node, "%08X"))
          .SetString("HardWareKey", "SCSI\\" + deviceKey + "\\" + instance);
      RegistryKey& device = scsi.AddSubkey(deviceKey).AddSubkey(instance);
      device.SetString("Class", "CDROM");
      device.SetString("DeviceDesc", Field(target.device.vendor) + Field(target.device.product));
      device.SetString("CurrentDriveLetterAssignment", std::string(1, *target.letter));
      device.SetString("SCSITargetID", Hex(target.id, "%X"));
      device.SetString("SCSILUN", "0");
    }
  }
}

void FillWindowsNt(const Scenario& scenario, RegistryTree& tree) {
  RegistryKey& scsi = *tree.Create("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi");
  for (const AdapterSettings& adapter : scenario.adapters) {
    RegistryKey& port = scsi.AddSubkey("Scsi Port " + std::to_string(adapter.port));
    port.SetString("Driver", adapter.driver);
    for (const TargetSettings& target : adapter.targets) {
      RegistryKey& bus = port.AddSubkey("Scsi Bus " + std::to_string(target.bus));
      bus.AddSubkey("Initiator Id " + std::to_string(adapter.hostId));
      RegistryKey& unit =
          bus.AddSubkey("Target Id " + std::to_string(target.id)).AddSubkey("Logical Unit Id 0");
      unit.SetString("Identifier", Field(target.device.vendor) + Field(target.device.product) +
                                       Field(target.device.revision));
      unit.SetString("Type", PeripheralName(target.device.peripheral));
    }
  }
}

// What the shell keeps in the registry: the auto-run policy (a 4-byte binary on Windows 9x, a
// DWORD on NT, the mask in the first byte of both), the default verb of audio CDs and the App
// Paths entry of the sibling tool.
void FillShellSettings(const Scenario& scenario, RegistryTree& tree) {
  const ShellSettings& shell = scenario.shell;
  RegistryKey& explorer = *tree.Create(
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
  if (shell.autoRunMask) {
    explorer.SetValue("NoDriveTypeAutoRun", IsWindowsNt(scenario.os) ? REG_DWORD : REG_BINARY,
                      {*shell.autoRunMask, 0, 0, 0});
  }
  if (shell.audioCdKeys) {
    RegistryKey& audioCd = *tree.Create("HKEY_CLASSES_ROOT\\AudioCD\\shell");
    if (shell.audioCdVerb) audioCd.SetString("", *shell.audioCdVerb);
  }
  if (shell.varnockPath) {
    RegistryKey& entry = *tree.Create(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Varnock.exe");
    entry.SetString("", *shell.varnockPath + "\\Varnock.exe");
    entry.SetString("Path", *shell.varnockPath);
  }
}

}  // namespace

std::string DeviceKeyOf(const emulator::DeviceConfig& device) {
  std::string key = Field(device.vendor) + Field(device.product);
  for (char& c : key) {
    if (c == ' ') c = '_';
  }
  return key;
}

void FillRegistry(const Scenario& scenario, RegistryTree& tree) {
  tree.Create("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  tree.Create("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion");
  FillShellSettings(scenario, tree);
  if (scenario.registry) {
    for (const RegistryKeySetting& setting : *scenario.registry) {
      RegistryKey* key = tree.Create(setting.path);
      if (key == nullptr) continue;  // the scenario loader has refused unknown roots
      for (const RegistryValueSetting& value : setting.values) {
        key->SetValue(value.name, value.type, value.data);
      }
    }
    return;
  }
  if (IsWindowsNt(scenario.os)) {
    FillWindowsNt(scenario, tree);
  } else {
    FillWindows9x(scenario, tree);
  }
}

}  // namespace korvel::platform::sim
