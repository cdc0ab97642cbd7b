// Builds the binary version record (VS_VERSIONINFO, see platform/VersionRecord.h) that a
// scenario gives a library file: the fixed file information, one string table and the
// translation table.
#pragma once

#include <vector>

#include "platform/WinTypes.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

// The record as the file holds it. Each byte of a text becomes one UTF-16 character, so that the
// ANSI text VerQueryValueA gives back is the scenario's text byte for byte. The fixed file
// version is read from the leading "a.b.c.d" numbers of the file version text (0 where absent).
std::vector<BYTE> BuildVersionRecord(const VersionRecordSettings& settings);

}  // namespace korvel::platform::sim
