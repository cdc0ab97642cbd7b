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
#include "platform/FlashFacts.h"
#include "platform/WinTypes.h"

namespace korvel::platform::sim {

enum class WindowsVersion { Win95, Win98, Nt4, Win2000 };

bool IsWindowsNt(WindowsVersion version);

enum class AspiCompletion {
  Pending,    // SS_PENDING at once, the request ends later on the library's own thread
  Immediate,  // the request ends inside SendASPI32Command
};

// The version record of the ASPI library: its strings (a missing one is not in the string
// table) and its translation.
struct VersionRecordSettings {
  std::optional<std::string> fileVersion;
  std::optional<std::string> description;
  std::optional<std::string> company;
  WORD language = 0x0409;
  WORD codePage = 0x04B0;
  // The name of the string table when it is not the translation's ("040904B0").
  std::optional<std::string> stringTable;
};

// The longest text a version record string may hold in a scenario.
inline constexpr std::size_t kMaxVersionTextLength = 255;

struct AspiSettings {
  bool installed = false;
  // The exact GetASPI32SupportInfo value; computed from the adapters when absent.
  std::optional<DWORD> supportInfo;
  // The entry points the library exports; both by default.
  std::vector<std::string> entries{"GetASPI32SupportInfo", "SendASPI32Command"};
  AspiCompletion completion = AspiCompletion::Pending;
  // The library file's version record; none when absent.
  std::optional<VersionRecordSettings> version;
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

// What GetDiskFreeSpaceA reports for a drive letter.
struct FreeSpaceSettings {
  DWORD sectorsPerCluster = 8;
  DWORD bytesPerSector = 512;
  DWORD freeClusters = 0;
  DWORD totalClusters = 0;
};

// The Windows shell of the PC: the settings it keeps in the registry, and what its calls answer.
struct ShellSettings {
  // "NoDriveTypeAutoRun" (REG_BINARY on Windows 9x, REG_DWORD on NT); none: no such value.
  std::optional<BYTE> autoRunMask = BYTE{0x95};
  // The default verb of audio CDs; none: "AudioCD\shell" has no default value.
  std::optional<std::string> audioCdVerb = std::string("play");
  // False: "AudioCD" under HKEY_CLASSES_ROOT does not exist at all (no verb then).
  bool audioCdKeys = true;
  // The folder of the App Paths entry of "Varnock.exe"; none: no entry.
  std::optional<std::string> varnockPath;
  HINSTANCE executeResult = 42;
  int messageBoxResult = 1;  // IDOK
};

// What the PC around a drive says before a flash: a disc mounted, other programs using it, a
// flash of another program going on.
struct DriveUseSettings {
  DriveUse use;
  bool flashedByAnother = false;
};

// The facts the guards around a flash read, which a real PC learns from its system: its power
// and the drives in use, keyed by the address (adapter, target) the programs show.
struct FlashGuardSettings {
  PowerReading power;
  std::map<std::pair<std::uint8_t, std::uint8_t>, DriveUseSettings> drives;
};

struct Scenario {
  WindowsVersion os = WindowsVersion::Win98;
  AspiSettings aspi;
  std::vector<AdapterSettings> adapters;
  std::map<char, UINT> drives;  // other drive letters and their GetDriveTypeA answers
  std::map<char, FreeSpaceSettings> freeSpace;  // the letters that report free space
  ShellSettings shell;
  std::vector<std::filesystem::path> filesHeld;
  std::optional<std::vector<RegistryKeySetting>> registry;
  DWORD bootTick = 0;
  FlashGuardSettings flashGuards;
};

// Each throws emulator::ConfigError naming the key path and the fault. Files that a scenario
// names (disc images) are relative to `baseDirectory`: the scenario file's folder for a file,
// the current directory for a scenario held in memory unless the caller says otherwise.
Scenario ParseScenario(const nlohmann::json& document,
                       const std::filesystem::path& baseDirectory = ".");
Scenario LoadScenarioText(std::string_view text, const std::filesystem::path& baseDirectory = ".");
Scenario LoadScenarioFile(const std::filesystem::path& path);

// The "flash_guards" object of a scenario; throws emulator::ConfigError naming the key path.
FlashGuardSettings ReadFlashGuards(const nlohmann::json& value);

// The disc image files the scenario's discs were read from, target by target.
std::vector<std::filesystem::path> ImageFilesOf(const Scenario& scenario);

}  // namespace korvel::platform::sim
