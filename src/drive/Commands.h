// The commands of the firmware upgrade and the main window. Each builder fills one CDB, runs it
// with ExecuteCommand and returns that status unchanged (1 = success); none checks its
// arguments, retries or looks at the data.
#pragma once

#include <cstdint>

#include "drive/CommandLayout.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive {

// REQUEST SENSE always asks this many bytes, whatever the caller's buffer.
inline constexpr std::uint32_t kRequestSenseLength = 18;
// WRITE BUFFER moves this many bytes beyond its parameter list length; the caller's buffer
// must hold them.
inline constexpr std::uint32_t kWriteBufferExtraBytes = 4;

std::int32_t TestUnitReady(transport::ScsiTransport& transport, std::uint8_t adapter,
                           std::uint8_t target);

// `buffer` holds at least 18 bytes.
std::int32_t RequestSense(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint8_t* buffer);

std::int32_t RezeroUnit(transport::ScsiTransport& transport, std::uint8_t adapter,
                        std::uint8_t target);

// Mode 3 bits, offset and length 24 bits each; moves length + 4 bytes out of `buffer`.
std::int32_t WriteBuffer(transport::ScsiTransport& transport, std::uint8_t adapter,
                         std::uint8_t target, std::uint8_t mode, std::uint8_t bufferId,
                         std::uint32_t offset, std::uint32_t length, std::uint8_t* buffer);

// Reads `length` bytes of the drive's memory at a 32-bit address.
std::int32_t ReadDriveMemory(transport::ScsiTransport& transport, std::uint8_t adapter,
                             std::uint8_t target, std::uint32_t address, std::uint32_t length,
                             std::uint8_t* buffer);

}  // namespace korvel::drive
