// The text of a scenario as JSON, with bounds: a scenario comes from a file the user names, and
// neither its size nor its nesting may be left to the text. Every fault the JSON reader finds
// (bad syntax, a number beyond what a double holds, nesting too deep) names the key path it was
// found under.
#pragma once

#include <cstddef>
#include <string_view>

#include <nlohmann/json.hpp>

namespace korvel::platform::sim {

// Real scenarios are a few kilobytes; anything near this limit is not a scenario.
inline constexpr std::size_t kMaxScenarioBytes = 4 * 1024 * 1024;
inline constexpr const char* kMaxScenarioBytesText = "4 MiB";
// The deepest real scenario (a fault rule of a target of an adapter) nests 7 levels.
inline constexpr std::size_t kMaxScenarioNesting = 32;

// Throws emulator::ConfigError "KEY.PATH: fault" ("scenario: fault" at the top level).
nlohmann::json ParseScenarioJson(std::string_view text);

}  // namespace korvel::platform::sim
