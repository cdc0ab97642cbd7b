// The per-model read speed data of the maker's drives: how many speed steps each DriveType has,
// the nominal multiplier of each step, which step each drive speed setting stands for, the
// display names of the steps and of the write speeds, and the kB/s figures that SET CD SPEED
// takes and page 0x2A reports. Every table is indexed by DriveType 0..19.
#pragma once

#include <array>
#include <cstdint>

namespace korvel::drive {

inline constexpr int kSpeedTypes = 20;
// Steps and drive speed settings both run 0..6.
inline constexpr int kSpeedSteps = 7;
// A speed name: at most 15 characters and the terminating zero.
inline constexpr std::size_t kSpeedNameSize = 16;

using SpeedName = std::array<char, kSpeedNameSize>;
using SpeedRow = std::array<std::uint8_t, kSpeedSteps>;

extern const std::array<std::uint8_t, kSpeedTypes> SpeedCountTable;
// The nominal speed multiplier of each step; 0 = the type does not offer the step.
extern const std::array<SpeedRow, kSpeedTypes> SpeedMultiplierTable;
// The step that each drive speed setting stands for.
extern const std::array<SpeedRow, kSpeedTypes> SpeedCodeTable;

// One name table in its two display forms: spaced ("1 X CLV") and compact ("1X CLV", the blank
// before "X" removed). The compact form is derived from the spaced one, never written twice.
template <std::size_t N>
struct SpeedNameTable {
  std::array<SpeedName, N> spaced;
  std::array<SpeedName, N> compact;
};

// By step; the entries "res" and "max" stand for the per-type names below.
extern const SpeedNameTable<kSpeedSteps> GenericSpeedNames;
// By DriveType; an empty entry is an empty text.
extern const SpeedNameTable<kSpeedTypes> MaxSpeedNames;
extern const SpeedNameTable<kSpeedTypes> ResSpeedNames;
// The step names of the models that have their own: type 10; types 13, 15, 16; types 18, 19.
extern const SpeedNameTable<4> Type10SpeedNames;
extern const SpeedNameTable<4> Type13SpeedNames;
extern const SpeedNameTable<5> Type18SpeedNames;

// Write speed names by write speed index 0..3, and for index 4, a speed the table does not
// name, a text that says so.
inline constexpr int kWriteSpeedIndexes = 5;
extern const std::array<SpeedName, kWriteSpeedIndexes> WriteSpeedNames;

// The read speed in kB/s that SetSpeedByCode sends for each speed code 0..15.
inline constexpr int kSpeedCodes = 16;
extern const std::array<std::uint16_t, kSpeedCodes> SpeedCodeRateTable;
// What SetSpeedByCode sends instead for code 3 on a type 10 drive.
inline constexpr std::uint16_t kType10StartingRate = 2117;
// SET CD SPEED's "as fast as the drive can".
inline constexpr std::uint16_t kFastestRate = 0xFFFF;

// The current read speed (kB/s, page 0x2A) that each read speed index 0..3 stands for; any other
// speed is index 4. Index 3 has two speeds.
struct RateIndex {
  std::uint16_t rate;
  std::uint8_t index;
};
extern const std::array<RateIndex, 5> ReadSpeedIndexTable;
// The same for the current write speed.
extern const std::array<RateIndex, 4> WriteSpeedIndexTable;
// The index of a speed that neither table names.
inline constexpr std::uint8_t kOtherSpeedIndex = 4;

}  // namespace korvel::drive
