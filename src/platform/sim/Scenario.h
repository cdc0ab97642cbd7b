// One simulated Windows PC as a scenario describes it: the operating system, the ASPI library,
// the host adapters with their devices, the other drive letters, the files that another
// program holds open and, optionally, the registry as written by hand.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulator/DeviceConfig.h"
#include "platform/WinTypes.h"

namespace korvel::platform::sim {

enum class WindowsVersion { Win95, Win98, Nt4, Win2000 };

bool IsWindowsNt(WindowsVersion version);

enum class AspiCompletion {
  Pending,    // SS_PENDING at once, the request ends later on the library's own thread
  Immediate,  // the request ends inside SendASPI32Command
};

struct AspiSettings {
  bool installed = false;
  // The exact GetASPI32SupportInfo value; computed from the adapters when absent.
  std::optional<DWORD> supportInfo;
  // The entry points the library exports; both by default.
  std::vector<std::string> entries{"GetASPI32SupportInfo", "SendASPI32Command"};
  AspiCompletion completion = AspiCompletion::Pending;
};

struct TargetSettings {
  std::uint8_t id = 0;
  std::optional<char> letter;  // upper case
  std::uint8_t bus = 0;        // the NT port's bus (PathId) the device sits on
  std::uint8_t luns = 1;       // logical units the NT port driver lists for it
  emulator::DeviceConfig device;
  // The target object as written, handed to the device factory.
  nlohmann::json description;
};

struct AdapterSettings {
  std::uint8_t id = 0;    // ASPI host adapter number
  std::uint8_t port = 0;  // NT SCSI port number
  std::string driver;
  std::string manager;
  std::uint8_t hostId = 7;
  std::vector<TargetSettings> targets;
};

struct RegistryValueSetting {
  std::string name;  // empty: the key's default value
  DWORD type = REG_SZ;
  std::vector<BYTE> data;  // strings include their NUL
};

struct RegistryKeySetting {
  std::string path;  // root name first, e.g. "HKEY_DYN_DATA\Config Manager\Enum\C29A0010"
  std::vector<RegistryValueSetting> values;
};

struct Scenario {
  WindowsVersion os = WindowsVersion::Win98;
  AspiSettings aspi;
  std::vector<AdapterSettings> adapters;
  std::map<char, UINT> drives;  // other drive letters and their GetDriveTypeA answers
  std::vector<std::filesystem::path> filesHeld;
  std::optional<std::vector<RegistryKeySetting>> registry;
  DWORD bootTick = 0;
};

// Each throws emulator::ConfigError naming the key path and the fault. Files that a scenario
// names (disc images) are relative to `baseDirectory`: the scenario file's folder for a file,
// the current directory for a scenario held in memory unless the caller says otherwise.
Scenario ParseScenario(const nlohmann::json& document,
                       const std::filesystem::path& baseDirectory = ".");
Scenario LoadScenarioText(std::string_view text, const std::filesystem::path& baseDirectory = ".");
Scenario LoadScenarioFile(const std::filesystem::path& path);

}  // namespace korvel::platform::sim
