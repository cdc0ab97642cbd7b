// Which bytes of each 2352-byte sector a read returns: the user data or the whole sector for
// READ(6) and READ(10), the fields that READ CD byte 9 selects.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "emulator/disc/Disc.h"

namespace korvel::emulator {

struct SectorPart {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// Up to one part per field; parts follow one another in the raw sector.
struct SectorSelection {
  std::array<SectorPart, 5> parts{};
  std::size_t count = 0;

  std::size_t Size() const;
  void Add(std::size_t offset, std::size_t length);
};

// READ CD byte 9.
namespace read_cd_fields {
inline constexpr std::uint8_t kSync = 0x80;
inline constexpr std::uint8_t kHeader = 0x20;
inline constexpr std::uint8_t kSubheader = 0x40;
inline constexpr std::uint8_t kUserData = 0x10;
inline constexpr std::uint8_t kEdcEcc = 0x08;
inline constexpr std::uint8_t kErrorFlags = 0x06;  // C2 error information, not kept
inline constexpr std::uint8_t kReserved = 0x01;
}  // namespace read_cd_fields

// Whether a drive takes this field selection: sync only with the header, error fields only with
// the user data, no C2 error information.
bool ReadCdFieldsValid(std::uint8_t fields);

// The parts of a sector of `mode` that `fields` selects. An audio sector has no fields: any
// selection returns its 2352 bytes, none returns nothing.
SectorSelection ReadCdSelection(std::uint8_t fields, TrackMode mode);

// READ(6) and READ(10): 2048 bytes of user data, or with a block length of 2352 the whole sector.
SectorSelection BlockSelection(std::size_t blockLength, TrackMode mode);

}  // namespace korvel::emulator
