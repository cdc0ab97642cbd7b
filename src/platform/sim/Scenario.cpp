#include "platform/sim/Scenario.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cctype>

#include <cerrno>
#include <set>

#include "emulator/ConfigError.h"
#include "emulator/DeviceFactory.h"
#include "platform/sim/ScenarioJson.h"

namespace korvel::platform::sim {
namespace {

using emulator::ConfigError;
using nlohmann::json;

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
  throw ConfigError(where + ": " + what);
}

std::string Join(const std::string& where, const std::string& key) {
  return where.empty() ? key : where + "." + key;
}

std::string Index(const std::string& where, std::size_t i) {
  return where + "[" + std::to_string(i) + "]";
}

void CheckObject(const json& value, const std::string& where) {
  if (!value.is_object()) Fail(where.empty() ? "scenario" : where, "must be an object");
}

void CheckKeys(const json& object, const std::string& where,
               std::initializer_list<std::string_view> allowed) {
  for (const auto& [key, value] : object.items()) {
    if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
      Fail(Join(where, key), "unknown key");
    }
  }
}

// A number written either as a JSON number or as a "0x" hexadecimal string.
std::uint64_t ReadNumber(const json& value, const std::string& where, std::uint64_t max,
                         const std::string& range) {
  std::uint64_t number = 0;
  if (value.is_number_unsigned()) {
    number = value.get<std::uint64_t>();
  } else if (value.is_number()) {
    // Negative, fractional, or beyond 64 bits (read as floating point).
    Fail(where, value.dump() + " is not " + range);
  } else if (value.is_string()) {
    const std::string text = value.get<std::string>();
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
                     text.size() <= 18 &&
                     std::all_of(text.begin() + 2, text.end(),
                                 [](unsigned char c) { return std::isxdigit(c) != 0; });
    if (!hex) Fail(where, "\"" + text + "\" is not a number (write 12 or \"0x0C\")");
    number = std::stoull(text.substr(2), nullptr, 16);
  } else {
    Fail(where, "must be a number");
  }
  if (number > max) Fail(where, value.dump() + " is not " + range);
  return number;
}

std::string ReadString(const json& value, const std::string& where) {
  if (!value.is_string()) Fail(where, "must be a string");
  return value.get<std::string>();
}

bool ReadBool(const json& value, const std::string& where) {
  if (!value.is_boolean()) Fail(where, "must be true or false");
  return value.get<bool>();
}

char ReadLetter(const json& value, const std::string& where) {
  const std::string text = value.is_string() ? value.get<std::string>() : std::string();
  if (text.size() != 1 || !std::isalpha(static_cast<unsigned char>(text[0]))) {
    Fail(where, value.dump() + " is not a drive letter (\"A\" to \"Z\")");
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
}

WindowsVersion ReadOs(const json& value) {
  static const std::map<std::string, WindowsVersion> kNames{{"win95", WindowsVersion::Win95},
                                                            {"win98", WindowsVersion::Win98},
                                                            {"nt4", WindowsVersion::Nt4},
                                                            {"win2000", WindowsVersion::Win2000}};
  const std::string name = ReadString(value, "os");
  auto it = kNames.find(name);
  if (it == kNames.end()) {
    Fail("os", "\"" + name + "\" is not one of \"win95\", \"win98\", \"nt4\", \"win2000\"");
  }
  return it->second;
}

std::string ReadVersionText(const json& value, const std::string& where) {
  std::string text = ReadString(value, where);
  if (text.size() > kMaxVersionTextLength) {
    Fail(where, "longer than " + std::to_string(kMaxVersionTextLength) + " characters");
  }
  return text;
}

// "040904B0": 8 hexadecimal digits, language first, as a string table is named.
std::string ReadTranslationName(const json& value, const std::string& where) {
  const std::string text = ReadString(value, where);
  if (text.size() != 8 || !std::all_of(text.begin(), text.end(),
                                       [](unsigned char c) { return std::isxdigit(c) != 0; })) {
    Fail(where,
         "\"" + text + "\" is not 8 hexadecimal digits, language then code page (\"040904B0\")");
  }
  return text;
}

VersionRecordSettings ReadVersionRecord(const json& value, const std::string& where) {
  CheckObject(value, where);
  CheckKeys(value, where,
            {"file_version", "description", "company", "translation", "string_table"});
  VersionRecordSettings record;
  if (value.contains("file_version")) {
    record.fileVersion = ReadVersionText(value["file_version"], Join(where, "file_version"));
  }
  if (value.contains("description")) {
    record.description = ReadVersionText(value["description"], Join(where, "description"));
  }
  if (value.contains("company")) {
    record.company = ReadVersionText(value["company"], Join(where, "company"));
  }
  if (value.contains("translation")) {
    const std::string name = ReadTranslationName(value["translation"], Join(where, "translation"));
    record.language = static_cast<WORD>(std::stoul(name.substr(0, 4), nullptr, 16));
    record.codePage = static_cast<WORD>(std::stoul(name.substr(4), nullptr, 16));
  }
  if (value.contains("string_table")) {
    record.stringTable = ReadTranslationName(value["string_table"], Join(where, "string_table"));
  }
  return record;
}

AspiSettings ReadAspi(const json& value) {
  const std::string where = "aspi";
  CheckObject(value, where);
  CheckKeys(value, where, {"installed", "support_info", "entries", "completion", "version"});
  AspiSettings aspi;
  if (!value.contains("installed")) Fail(Join(where, "installed"), "missing");
  aspi.installed = ReadBool(value["installed"], Join(where, "installed"));
  if (value.contains("support_info")) {
    aspi.supportInfo = static_cast<DWORD>(ReadNumber(
        value["support_info"], Join(where, "support_info"), 0xFFFFFFFFu, "a 32-bit value"));
  }
  if (value.contains("entries")) {
    const json& entries = value["entries"];
    if (!entries.is_array()) Fail(Join(where, "entries"), "must be a list of names");
    aspi.entries.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      aspi.entries.push_back(ReadString(entries[i], Index(Join(where, "entries"), i)));
    }
  }
  if (value.contains("completion")) {
    const std::string mode = ReadString(value["completion"], Join(where, "completion"));
    if (mode == "pending") {
      aspi.completion = AspiCompletion::Pending;
    } else if (mode == "immediate") {
      aspi.completion = AspiCompletion::Immediate;
    } else {
      Fail(Join(where, "completion"), "\"" + mode + "\" is not \"pending\" or \"immediate\"");
    }
  }
  if (value.contains("version"))
    aspi.version = ReadVersionRecord(value["version"], Join(where, "version"));
  return aspi;
}

TargetSettings ReadTarget(const json& value, const std::string& where,
                          const std::filesystem::path& baseDirectory) {
  CheckObject(value, where);
  TargetSettings target;
  if (!value.contains("id")) Fail(Join(where, "id"), "missing");
  target.id = static_cast<std::uint8_t>(
      ReadNumber(value["id"], Join(where, "id"), 15, "a target ID (0 to 15)"));
  if (value.contains("letter")) target.letter = ReadLetter(value["letter"], Join(where, "letter"));
  if (value.contains("bus")) {
    target.bus = static_cast<std::uint8_t>(
        ReadNumber(value["bus"], Join(where, "bus"), 7, "a bus number (0 to 7)"));
  }
  if (value.contains("luns")) {
    target.luns = static_cast<std::uint8_t>(
        ReadNumber(value["luns"], Join(where, "luns"), 8, "a number of logical units (1 to 8)"));
    if (target.luns == 0) Fail(Join(where, "luns"), "0 is not a number of logical units (1 to 8)");
  }
  // The device keys belong to the emulator; the keys read above belong to the PC.
  json device = value;
  device.erase("bus");
  device.erase("luns");
  target.device = emulator::ParseDeviceConfig(device, where, baseDirectory);
  target.description = std::move(device);
  return target;
}

AdapterSettings ReadAdapter(const json& value, const std::string& where,
                            const std::filesystem::path& baseDirectory) {
  CheckObject(value, where);
  CheckKeys(value, where, {"id", "port", "driver", "manager", "host_id", "targets"});
  AdapterSettings adapter;
  if (!value.contains("id")) Fail(Join(where, "id"), "missing");
  adapter.id = static_cast<std::uint8_t>(
      ReadNumber(value["id"], Join(where, "id"), 255, "a host adapter number (0 to 255)"));
  adapter.port = adapter.id;
  if (value.contains("port")) {
    adapter.port = static_cast<std::uint8_t>(
        ReadNumber(value["port"], Join(where, "port"), 255, "a SCSI port number (0 to 255)"));
  }
  adapter.driver =
      value.contains("driver") ? ReadString(value["driver"], Join(where, "driver")) : "scsiport";
  adapter.manager = value.contains("manager") ? ReadString(value["manager"], Join(where, "manager"))
                                              : "ASPI for WIN32";
  if (value.contains("host_id")) {
    adapter.hostId = static_cast<std::uint8_t>(
        ReadNumber(value["host_id"], Join(where, "host_id"), 15, "a SCSI ID (0 to 15)"));
  }
  if (value.contains("targets")) {
    const json& targets = value["targets"];
    const std::string list = Join(where, "targets");
    if (!targets.is_array()) Fail(list, "must be a list of target objects");
    // A port may use one target ID on each of its buses, as real multi-bus ports do.
    std::set<std::pair<std::uint8_t, std::uint8_t>> ids;
    for (std::size_t i = 0; i < targets.size(); ++i) {
      TargetSettings target = ReadTarget(targets[i], Index(list, i), baseDirectory);
      if (!ids.insert({target.bus, target.id}).second) {
        Fail(Join(Index(list, i), "id"),
             std::to_string(target.id) + " is used by another target of this adapter");
      }
      adapter.targets.push_back(std::move(target));
    }
  }
  return adapter;
}

UINT ReadDriveType(const json& value, const std::string& where) {
  static const std::map<std::string, UINT> kTypes{
      {"unknown", DRIVE_UNKNOWN}, {"removable", DRIVE_REMOVABLE}, {"fixed", DRIVE_FIXED},
      {"remote", DRIVE_REMOTE},   {"cdrom", DRIVE_CDROM},         {"ramdisk", DRIVE_RAMDISK}};
  const std::string name = ReadString(value, where);
  auto it = kTypes.find(name);
  if (it == kTypes.end()) {
    Fail(where, "\"" + name +
                    "\" is not a drive type (unknown, removable, fixed, remote, cdrom, ramdisk)");
  }
  return it->second;
}

FreeSpaceSettings ReadFreeSpace(const json& value, const std::string& where) {
  FreeSpaceSettings space;
  const auto dword = [&](const char* key, DWORD& field) {
    if (value.contains(key)) {
      field = static_cast<DWORD>(
          ReadNumber(value[key], Join(where, key), 0xFFFFFFFFu, "a 32-bit count"));
    }
  };
  dword("sectors_per_cluster", space.sectorsPerCluster);
  dword("bytes_per_sector", space.bytesPerSector);
  dword("free_clusters", space.freeClusters);
  space.totalClusters = space.freeClusters;
  dword("total_clusters", space.totalClusters);
  if (space.totalClusters < space.freeClusters) {
    Fail(Join(where, "total_clusters"), "fewer than free_clusters");
  }
  return space;
}

// A drive letter: its type alone ("fixed"), or an object with its type and free space.
void ReadDrive(Scenario& scenario, const std::string& letterText, const json& value) {
  const std::string where = "drives." + letterText;
  const char letter = ReadLetter(json(letterText), where);
  if (!value.is_object()) {
    scenario.drives[letter] = ReadDriveType(value, where);
    return;
  }
  CheckKeys(value, where,
            {"type", "sectors_per_cluster", "bytes_per_sector", "free_clusters", "total_clusters"});
  if (!value.contains("type")) Fail(Join(where, "type"), "missing");
  scenario.drives[letter] = ReadDriveType(value["type"], Join(where, "type"));
  if (value.size() > 1) scenario.freeSpace[letter] = ReadFreeSpace(value, where);
}

ShellSettings ReadShell(const json& value) {
  const std::string where = "shell";
  CheckObject(value, where);
  CheckKeys(value, where,
            {"autorun_mask", "audio_cd_verb", "audio_cd_keys", "varnock_path", "execute_result",
             "message_box_result"});
  ShellSettings shell;
  if (value.contains("autorun_mask")) {
    const json& mask = value["autorun_mask"];
    shell.autoRunMask.reset();
    if (!mask.is_null()) {
      shell.autoRunMask = static_cast<BYTE>(
          ReadNumber(mask, Join(where, "autorun_mask"), 0xFF, "a byte (0 to 0xFF) or null"));
    }
  }
  if (value.contains("audio_cd_verb")) {
    const json& verb = value["audio_cd_verb"];
    shell.audioCdVerb.reset();
    if (!verb.is_null()) shell.audioCdVerb = ReadString(verb, Join(where, "audio_cd_verb"));
  }
  if (value.contains("audio_cd_keys")) {
    shell.audioCdKeys = ReadBool(value["audio_cd_keys"], Join(where, "audio_cd_keys"));
    if (!shell.audioCdKeys) {
      // A verb needs the keys it lives in.
      if (value.contains("audio_cd_verb") && !value["audio_cd_verb"].is_null()) {
        Fail(Join(where, "audio_cd_keys"), "is false, so audio_cd_verb must be absent or null");
      }
      shell.audioCdVerb.reset();
    }
  }
  if (value.contains("varnock_path")) {
    shell.varnockPath = ReadString(value["varnock_path"], Join(where, "varnock_path"));
  }
  if (value.contains("execute_result")) {
    shell.executeResult = static_cast<HINSTANCE>(ReadNumber(
        value["execute_result"], Join(where, "execute_result"), 0xFFFFFFFFu, "a 32-bit value"));
  }
  if (value.contains("message_box_result")) {
    shell.messageBoxResult = static_cast<int>(ReadNumber(
        value["message_box_result"], Join(where, "message_box_result"), 7, "a button (0 to 7)"));
  }
  return shell;
}

RegistryValueSetting ReadRegistryValue(const std::string& name, const json& value,
                                       const std::string& where) {
  RegistryValueSetting setting;
  setting.name = name;
  if (value.is_string()) {
    const std::string text = value.get<std::string>();
    setting.type = REG_SZ;
    setting.data.assign(text.begin(), text.end());
    setting.data.push_back(0);
  } else if (value.is_number()) {
    const auto number = static_cast<DWORD>(ReadNumber(value, where, 0xFFFFFFFFu, "a DWORD"));
    setting.type = REG_DWORD;
    for (int i = 0; i < 4; ++i) setting.data.push_back(static_cast<BYTE>(number >> (8 * i)));
  } else {
    Fail(where, "must be a string (REG_SZ) or a number (REG_DWORD)");
  }
  return setting;
}

std::vector<RegistryKeySetting> ReadRegistry(const json& value) {
  CheckObject(value, "registry");
  std::vector<RegistryKeySetting> keys;
  for (const auto& [path, values] : value.items()) {
    const std::string where = "registry[\"" + path + "\"]";
    if (!values.is_object()) Fail(where, "must be an object of values");
    static constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                  "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                                  "HKEY_DYN_DATA"};
    const std::string root = path.substr(0, path.find('\\'));
    if (std::find(std::begin(kRoots), std::end(kRoots), root) == std::end(kRoots)) {
      Fail(where, "\"" + root + "\" is not a root key (HKEY_LOCAL_MACHINE, HKEY_DYN_DATA, ...)");
    }
    RegistryKeySetting key{path, {}};
    for (const auto& [name, data] : values.items()) {
      key.values.push_back(ReadRegistryValue(name, data, where + "[\"" + name + "\"]"));
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

void CheckUnique(const Scenario& scenario) {
  std::set<std::uint8_t> ids, ports;
  std::set<char> letters;
  for (const auto& [letter, type] : scenario.drives) letters.insert(letter);
  for (std::size_t a = 0; a < scenario.adapters.size(); ++a) {
    const AdapterSettings& adapter = scenario.adapters[a];
    const std::string where = Index("adapters", a);
    if (!ids.insert(adapter.id).second) {
      Fail(Join(where, "id"), std::to_string(adapter.id) + " is used by another adapter");
    }
    if (!ports.insert(adapter.port).second) {
      Fail(Join(where, "port"), std::to_string(adapter.port) + " is used by another adapter");
    }
    for (std::size_t t = 0; t < adapter.targets.size(); ++t) {
      const auto& letter = adapter.targets[t].letter;
      if (letter && !letters.insert(*letter).second) {
        Fail(Join(Index(Join(where, "targets"), t), "letter"),
             std::string("\"") + *letter + "\" is used by another drive");
      }
    }
  }
}

// The whole file, refused when it is no regular file or larger than a scenario may be. A FIFO
// or a device opens without waiting (O_NONBLOCK) and is refused before anything is read from
// it: a FIFO would wait for a writer, /dev/zero would never end.
std::string ReadScenarioFile(const std::filesystem::path& path) {
  const int fd = ::open(path.string().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw ConfigError("cannot be read");
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw ConfigError("cannot be read");
  if (!S_ISREG(info.st_mode)) {
    throw ConfigError("not a regular file (a folder, FIFO or device is no scenario)");
  }
  const std::string tooLarge =
      std::string("larger than ") + kMaxScenarioBytesText + ", the most a scenario may hold";
  if (static_cast<std::uint64_t>(info.st_size) > kMaxScenarioBytes) throw ConfigError(tooLarge);
  // The file may grow while it is read: one byte more than the limit tells.
  std::string text(kMaxScenarioBytes + 1, '\0');
  std::size_t size = 0;
  while (size < text.size()) {
    const ssize_t got = ::read(fd, text.data() + size, text.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ConfigError("cannot be read");
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  if (size > kMaxScenarioBytes) throw ConfigError(tooLarge);
  text.resize(size);
  return text;
}

}  // namespace

bool IsWindowsNt(WindowsVersion version) {
  return version == WindowsVersion::Nt4 || version == WindowsVersion::Win2000;
}

Scenario ParseScenario(const json& document, const std::filesystem::path& baseDirectory) {
  CheckObject(document, "");
  CheckKeys(document, "",
            {"os", "aspi", "adapters", "drives", "files_held", "registry", "boot_tick", "shell",
             "flash_guards"});
  Scenario scenario;
  if (!document.contains("os")) Fail("os", "missing");
  scenario.os = ReadOs(document["os"]);
  if (document.contains("aspi")) scenario.aspi = ReadAspi(document["aspi"]);
  if (document.contains("adapters")) {
    const json& adapters = document["adapters"];
    if (!adapters.is_array()) Fail("adapters", "must be a list of adapter objects");
    for (std::size_t i = 0; i < adapters.size(); ++i) {
      scenario.adapters.push_back(ReadAdapter(adapters[i], Index("adapters", i), baseDirectory));
    }
  }
  if (document.contains("drives")) {
    const json& drives = document["drives"];
    CheckObject(drives, "drives");
    for (const auto& [letter, value] : drives.items()) ReadDrive(scenario, letter, value);
  }
  if (document.contains("files_held")) {
    const json& files = document["files_held"];
    if (!files.is_array()) Fail("files_held", "must be a list of paths");
    for (std::size_t i = 0; i < files.size(); ++i) {
      scenario.filesHeld.emplace_back(ReadString(files[i], Index("files_held", i)));
    }
  }
  if (document.contains("shell")) scenario.shell = ReadShell(document["shell"]);
  if (document.contains("registry")) scenario.registry = ReadRegistry(document["registry"]);
  if (document.contains("boot_tick")) {
    scenario.bootTick = static_cast<DWORD>(
        ReadNumber(document["boot_tick"], "boot_tick", 0xFFFFFFFFu, "a 32-bit tick count"));
  }
  if (document.contains("flash_guards")) {
    scenario.flashGuards = ReadFlashGuards(document["flash_guards"]);
  }
  CheckUnique(scenario);
  return scenario;
}

Scenario LoadScenarioText(std::string_view text, const std::filesystem::path& baseDirectory) {
  return ParseScenario(ParseScenarioJson(text), baseDirectory);
}

std::vector<std::filesystem::path> ImageFilesOf(const Scenario& scenario) {
  std::vector<std::filesystem::path> files;
  for (const AdapterSettings& adapter : scenario.adapters) {
    for (const TargetSettings& target : adapter.targets) {
      if (!target.device.disc) continue;
      const auto& images = target.device.disc->imageFiles;
      files.insert(files.end(), images.begin(), images.end());
    }
  }
  return files;
}

Scenario LoadScenarioFile(const std::filesystem::path& path) {
  try {
    const auto folder = path.parent_path();
    return LoadScenarioText(ReadScenarioFile(path), folder.empty() ? "." : folder);
  } catch (const ConfigError& error) {
    throw ConfigError(path.string() + ": " + error.what());
  }
}

}  // namespace korvel::platform::sim
