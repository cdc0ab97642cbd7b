// The image forms of a scenario's `disc` key: {"cue": "PATH"} and {"iso": "PATH"}, with the
// modifiers every form takes. Paths are relative to the scenario file's folder.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "emulator/disc/Disc.h"

namespace korvel::emulator {

// True when `value` (a disc object) names an image.
bool NamesDiscImage(const nlohmann::json& value);

// Loads the image that `value` names, relative to `baseDirectory` unless the path is absolute.
// The modifiers are left to the caller. Throws ConfigError naming the key path, then the fault
// of the image ("disc.cue: audio.cue line 7: ...").
Disc ReadImageDisc(const nlohmann::json& value, const std::string& path,
                   const std::filesystem::path& baseDirectory);

}  // namespace korvel::emulator
