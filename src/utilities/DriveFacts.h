// A few facts of a drive for a disc information display: its sense code with a short text, the
// number text kept in its memory, a vendor status byte and the two write-speed fields of the
// capabilities page.
#pragma once

#include <cstdint>
#include <string>

#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::utilities {

// (sense byte 2 << 16) | (ASC << 8) | ASCQ from REQUEST SENSE; byte 2 is taken whole. 0 when
// REQUEST SENSE fails.
std::int32_t SenseCode(transport::ScsiTransport& transport, transport::DeviceAddress address);

// "  Reading table of contents", "  No disc inserted" or "  No additional information".
std::string SenseCodeText(std::int32_t value);

// The five characters at offsets 26..30 of the drive's memory at address 0, read as hexadecimal
// digits, as "%06ld". False (and `text` unchanged) when the drive refuses the read.
bool DriveNumberText(transport::ScsiTransport& transport, transport::DeviceAddress address,
                     std::string& text);

// The first byte of the vendor status; for DriveType 10 and 11 its bits are moved into the
// layout the other models use. The status of VENDOR STATUS is not looked at (a refused command
// shows zero); a caller that needs to know gets it in `status`.
std::uint8_t VendorStatusByte(transport::ScsiTransport& transport, transport::DeviceAddress address,
                              std::int32_t* status = nullptr);

// Bytes 18..19 (maximum) and 20..21 (current) of the capabilities page 0x2A. The status is not
// looked at: a failed read shows zero.
std::uint16_t MaxWriteSpeedRaw(transport::ScsiTransport& transport,
                               transport::DeviceAddress address);
std::uint16_t CurrentWriteSpeedRaw(transport::ScsiTransport& transport,
                                   transport::DeviceAddress address);

}  // namespace korvel::utilities
