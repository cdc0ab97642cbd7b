#include "emulator/images/ImageDiscJson.h"

#include "emulator/ConfigError.h"
#include "emulator/JsonFields.h"
#include "emulator/images/DiscJson.h"
#include "emulator/images/ImageDiscs.h"

namespace korvel::emulator {

using namespace json_fields;

bool NamesDiscImage(const nlohmann::json& value) {
  return value.is_object() && (value.contains("cue") || value.contains("iso"));
}

Disc ReadImageDisc(const nlohmann::json& value, const std::string& path,
                   const std::filesystem::path& baseDirectory) {
  RequireObject(value, path);
  RequireKnownKeys(value, path, {"cue", "iso"}, kDiscModifierKeys);
  if (value.contains("cue") && value.contains("iso")) Fail(path, "give either cue or iso");
  const bool cue = value.contains("cue");
  const std::string key = cue ? "cue" : "iso";
  const std::string& name = ReadString(value[key], Join(path, key));
  if (name.empty()) Fail(Join(path, key), "names no file");
  if (name.find('\0') != std::string::npos) Fail(Join(path, key), "holds a zero byte");
  const std::filesystem::path image = baseDirectory / name;
  try {
    return cue ? LoadCueDisc(image) : LoadIsoDisc(image);
  } catch (const ConfigError& error) {
    Fail(Join(path, key), error.what());
  }
}

}  // namespace korvel::emulator
