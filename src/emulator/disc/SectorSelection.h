// Which bytes of each block a read returns: the user data or the whole sector for READ(6) and
// READ(10); for READ CD the fields of the 2352-byte sector that byte 9 selects, then its C2
// error information, then the sub-channel data that byte 10 selects.
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

// READ CD byte 10: the sub-channel data after each block.
enum class SubChannelField : std::uint8_t {
  None = 0,
  RawPw = 1,      // 96 bytes, one bit of each channel P..W a byte
  FormattedQ = 2  // 16 bytes: the Q channel as recorded, then the P flag
};

// Up to one part per field; parts follow one another in the raw sector. After them come
// `c2Length` bytes of C2 error information and the sub-channel data.
struct SectorSelection {
  std::array<SectorPart, 5> parts{};
  std::size_t count = 0;
  std::size_t c2Length = 0;
  SubChannelField subChannel = SubChannelField::None;

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
inline constexpr std::uint8_t kSectorFields = 0xF8;
// C2 error information: a bit for each of the sector's 2352 bytes, alone (01) or followed by the
// block error byte, the OR of them all, and a pad byte (10); 11 is reserved.
inline constexpr std::uint8_t kErrorField = 0x06;
inline constexpr std::uint8_t kC2ErrorBits = 0x02;
inline constexpr std::uint8_t kC2AndBlockError = 0x04;
inline constexpr std::uint8_t kReserved = 0x01;
}  // namespace read_cd_fields

inline constexpr std::size_t kC2ErrorBitsSize = 294;
inline constexpr std::size_t kC2AndBlockErrorSize = 296;

// READ CD byte 10. R-W alone (de-interleaved and corrected) is not read by this drive, as its
// capabilities page says; the other values are reserved.
namespace read_cd_sub_channel {
inline constexpr std::uint8_t kNone = 0x00;
inline constexpr std::uint8_t kRawPw = 0x01;
inline constexpr std::uint8_t kFormattedQ = 0x02;
}  // namespace read_cd_sub_channel

// Whether a drive takes this field selection: sync only with the header, EDC and ECC only with
// the user data, the C2 field not 11. The C2 field may stand alone.
bool ReadCdFieldsValid(std::uint8_t fields);
// Whether a drive takes this byte 10: none, raw P-W or formatted Q.
bool ReadCdSubChannelValid(std::uint8_t subChannel);

// What byte 9 `fields` and byte 10 `subChannel` (both valid) select from a block of `mode`. An
// audio sector has no fields: any sector field returns its 2352 bytes.
SectorSelection ReadCdSelection(std::uint8_t fields, std::uint8_t subChannel, TrackMode mode);

// READ(6) and READ(10): 2048 bytes of user data, or with a block length of 2352 the whole sector.
SectorSelection BlockSelection(std::size_t blockLength, TrackMode mode);

}  // namespace korvel::emulator
