// The `disc` key of a scenario target: a disc of N blocks, a description of its sessions and
// tracks, and the modifiers that every form takes (ATIP, blank, appendable).
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "emulator/disc/Disc.h"

namespace korvel::emulator {

// The keys that ReadDiscModifiers reads; every form of the disc key accepts them.
inline constexpr std::array<std::string_view, 3> kDiscModifierKeys{"atip", "blank", "appendable"};

// Applies the modifiers of `value` (the disc object at `path`) to a disc that a form has built,
// and checks the result: a blank disc keeps at most one open session, a blank or appendable
// disc is recordable and gets the default ATIP when it has none, the ATIP lead-out lies after
// the disc's last lead-out. Throws ConfigError naming the key path.
void ReadDiscModifiers(const nlohmann::json& value, const std::string& path, Disc& disc);

// A CD-TEXT string: printable ASCII, at most kMaxCdTextLength characters.
std::string ReadCdTextString(const nlohmann::json& value, const std::string& path);

// The whole disc key: null for no disc, {"blocks": N} for one mode 1 track, {"sessions": [...]}
// for a described disc, {"blank": true} for an empty recordable disc, {"cue": "PATH"} or
// {"iso": "PATH"} for an image (ImageDiscJson.h) relative to `baseDirectory`; modifiers with any
// of them.
std::optional<Disc> ReadDisc(const nlohmann::json& value, const std::string& path,
                             const std::filesystem::path& baseDirectory = ".");

}  // namespace korvel::emulator
