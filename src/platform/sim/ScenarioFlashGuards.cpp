// The "flash_guards" object of a scenario:
//   "flash_guards": {
//     "power": {"source": "battery", "percent": 12},
//     "drives": {"1:1": {"mounted_at": ["E:\\"], "processes": [{"pid": 4242, "program": "x"}],
//                        "others_unchecked": true, "flashed_by_another": false}}}
#include <string>

#include "emulator/JsonFields.h"
#include "formats/DriveAddressText.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {
namespace {

using namespace emulator::json_fields;
using nlohmann::json;

PowerReading ReadPower(const json& value, const std::string& path) {
  RequireObject(value, path);
  RequireKnownKeys(value, path, {"source", "percent"});
  PowerReading power;
  power.origin = "the scenario";
  if (value.contains("source")) {
    const std::string& source = ReadString(value["source"], Join(path, "source"));
    if (source == "battery") {
      power.source = PowerReading::Source::Battery;
    } else if (source == "mains") {
      power.source = PowerReading::Source::Mains;
    } else if (source != "unknown") {
      Fail(Join(path, "source"), "must be \"battery\", \"mains\" or \"unknown\"");
    }
  }
  if (value.contains("percent")) {
    power.percent = static_cast<int>(ReadUnsigned(value["percent"], Join(path, "percent"), 100));
  }
  return power;
}

std::pair<std::uint8_t, std::uint8_t> ReadAddress(const std::string& text,
                                                  const std::string& path) {
  const auto address = formats::ParseDriveAddressText(text);
  if (!address) Fail(path, "is not a drive address H:T (adapter 0..7, target 0..15)");
  return *address;
}

DriveUseSettings ReadDriveUse(const json& value, const std::string& path) {
  RequireObject(value, path);
  RequireKnownKeys(value, path,
                   {"mounted_at", "processes", "others_unchecked", "flashed_by_another"});
  DriveUseSettings settings;
  if (value.contains("mounted_at")) {
    const std::string where = Join(path, "mounted_at");
    RequireList(value["mounted_at"], where);
    for (std::size_t i = 0; i < value["mounted_at"].size(); ++i) {
      settings.use.mountPoints.push_back(ReadString(value["mounted_at"][i], At(where, i)));
    }
  }
  if (value.contains("processes")) {
    const std::string where = Join(path, "processes");
    RequireList(value["processes"], where);
    for (std::size_t i = 0; i < value["processes"].size(); ++i) {
      const json& process = value["processes"][i];
      const std::string at = At(where, i);
      RequireObject(process, at);
      RequireKnownKeys(process, at, {"pid", "program"});
      if (!process.contains("pid")) Fail(Join(at, "pid"), "missing");
      ProcessUse user;
      user.pid = static_cast<int>(ReadUnsigned(process["pid"], Join(at, "pid"), 0x7FFFFFFF));
      if (process.contains("program"))
        user.program = ReadString(process["program"], Join(at, "program"));
      settings.use.processes.push_back(user);
    }
  }
  if (value.contains("others_unchecked")) {
    settings.use.othersUnchecked =
        ReadBool(value["others_unchecked"], Join(path, "others_unchecked"));
  }
  if (value.contains("flashed_by_another")) {
    settings.flashedByAnother =
        ReadBool(value["flashed_by_another"], Join(path, "flashed_by_another"));
  }
  return settings;
}

}  // namespace

FlashGuardSettings ReadFlashGuards(const json& value) {
  const std::string path = "flash_guards";
  RequireObject(value, path);
  RequireKnownKeys(value, path, {"power", "drives"});
  FlashGuardSettings settings;
  if (value.contains("power")) settings.power = ReadPower(value["power"], Join(path, "power"));
  if (value.contains("drives")) {
    const std::string drives = Join(path, "drives");
    RequireObject(value["drives"], drives);
    for (const auto& [address, use] : value["drives"].items()) {
      const std::string where = Join(drives, address);
      settings.drives[ReadAddress(address, where)] = ReadDriveUse(use, where);
    }
  }
  return settings;
}

}  // namespace korvel::platform::sim
