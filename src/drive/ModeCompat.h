// MODE SENSE and MODE SELECT by drive model. Callers always see the 6-byte layout (4-byte header,
// one 8-byte block descriptor, the page at offset 12); a DriveType 18 drive takes only the 10-byte
// commands, so for it the data is converted on the way in and out. Each call asks DriveTypeOf
// afresh (one INQUIRY) before its command.
#pragma once

#include <cstdint>

#include "drive/CommandLayout.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive {

// The model that takes only MODE SENSE(10), MODE SELECT(10) and READ CD.
inline constexpr int kTenByteModeDriveType = 18;
// The largest 10-byte mode answer or parameter list the conversion holds.
inline constexpr std::uint32_t kModeWorkAreaSize = 100;
// ModeSelectCompat's answer, on a DriveType 18 drive, for a 12-byte list (header and block
// descriptor, no page): there is nothing for MODE SELECT(10) to set, so nothing is sent.
inline constexpr std::int32_t kStatusModeSelectNothingToSend = 0;

// Fills up to allocationLength bytes of `buffer` with the answer in the 6-byte layout.
// DriveType 18: MODE SENSE(10) of at most 100 bytes, converted whatever its status (after a
// failure the status says not to use the data); output bytes beyond the 104 that 100 bytes of
// 10-byte answer convert into are left untouched. Other types: MODE SENSE(6) of allocationLength.
std::int32_t ModeSenseCompat(transport::ScsiTransport& transport, std::uint8_t adapter,
                             std::uint8_t target, std::uint8_t pageCode,
                             std::uint8_t allocationLength, std::uint8_t* buffer);

// Sends the parameter list in `buffer` (6-byte layout, parameterListLength bytes).
// DriveType 18: the page is moved behind an 8-byte 10-byte header, without block descriptor, and
// sent with MODE SELECT(10); a 12-byte list sends nothing and returns 0. A list whose block
// descriptor length or page length points past parameterListLength, or whose page (over 90
// bytes) would not fit the 100-byte list, is refused unsent with kStatusRefused.
std::int32_t ModeSelectCompat(transport::ScsiTransport& transport, std::uint8_t adapter,
                              std::uint8_t target, std::uint8_t parameterListLength,
                              std::uint8_t* buffer);

}  // namespace korvel::drive
