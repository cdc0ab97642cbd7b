// The version strings of the ASPI library, from the version record of "WNASPI32.DLL".
#pragma once

#include <span>

#include "platform/VersionInfo.h"

namespace korvel::utilities {

inline constexpr char kAspiLibraryName[] = "WNASPI32.DLL";
inline constexpr char kNotAvailable[] = "N/A";

// File version, description and company, each cut to its text's size. Without a record the
// first two are "N/A" and the company is empty; a string the record lacks is the same.
void AspiVersionStrings(platform::VersionInfo& versions, std::span<char> fileVersion,
                        std::span<char> description, std::span<char> company);

}  // namespace korvel::utilities
