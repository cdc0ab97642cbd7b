// The two shell settings that decide what happens when a disc is inserted: the auto-run policy
// mask ("NoDriveTypeAutoRun", one bit per drive type) and the default verb of audio CDs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/Registry.h"

namespace korvel::utilities {

// The first byte of "NoDriveTypeAutoRun"; 0 when the value is missing or cannot be read.
std::uint8_t GetAutoRunMask(platform::Registry& registry);
// Writes "NoDriveTypeAutoRun" as REG_BINARY of 4 bytes: mask, 0, 0, 0 (the keys are made when
// missing).
void SetAutoRunMask(platform::Registry& registry, std::uint8_t mask);

// The default value of "AudioCD\shell", cut to the text's size. Empty when the value's size is
// known but its data cannot be read; the text is left as it was when even the size is unknown.
// Returns the text.
char* GetAudioCdShellDefault(platform::Registry& registry, std::span<char> text);
// Writes the default value of "AudioCD\shell" as REG_SZ of the text's characters, without the
// terminating NUL.
void SetAudioCdShellDefault(platform::Registry& registry, const char* text);
// The same value for a report, which must change nothing: the keys are only opened, for
// reading, and nothing comes back when a key or the value is missing (or its size unknown).
std::optional<std::string> ReadAudioCdShellDefault(platform::Registry& registry);

}  // namespace korvel::utilities
