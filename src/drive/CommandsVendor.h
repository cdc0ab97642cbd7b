// Builders of the vendor commands of the maker's drives (opcodes 0xCD to 0xFD). The system only
// builds them; beyond reading and writing drive memory their meaning is the firmware's. Each
// returns the status of ExecuteCommand unchanged (1 = success).
#pragma once

#include <cstdint>

#include "drive/CommandLayout.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive {

// The sub-code selectors of READ CD-DA and READ CD-DA MSF and the sector size each gives.
inline constexpr std::uint32_t kCdDaSectorSize = 2352;
inline constexpr std::uint32_t kCdDaSectorSizeSelector1 = 2368;
inline constexpr std::uint32_t kCdDaSectorSizeSelector2 = 2448;
inline constexpr std::uint32_t kCdDaSectorSizeSelector3 = 96;
std::uint32_t CdDaSectorSize(std::uint8_t subcodeSelector);

// Frames of an MSF address packed as minute << 16 | second << 8 | frame: M x 4500 + S x 75 + F
// (no 150-frame lead-in offset).
std::uint32_t MsfFrames(std::uint32_t msf);

// form 2 puts one byte of value in byte 5; any other form 24 bits in bytes 3..5.
std::int32_t VendorCd(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint8_t flag, std::uint8_t selector,
                      std::uint32_t value, std::uint8_t form);

// Moves transferLength bytes as passed.
std::int32_t ReadCdDa(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint32_t blockAddress, std::uint32_t blockCount,
                      std::uint8_t subcodeSelector, std::uint32_t transferLength,
                      std::uint8_t* buffer);

// Start and end are packed MSF addresses (minute in bits 16..23); the end is exclusive. Moves
// (end frames - start frames) x the selector's sector size. An end before the start is refused
// unsent (kStatusRefused); an end equal to the start moves nothing.
std::int32_t ReadCdDaMsf(transport::ScsiTransport& transport, std::uint8_t adapter,
                         std::uint8_t target, std::uint32_t startMsf, std::uint32_t endMsf,
                         std::uint8_t subcodeSelector, std::uint8_t* buffer);

// 2 bytes in.
std::int32_t VendorStatusDe(transport::ScsiTransport& transport, std::uint8_t adapter,
                            std::uint8_t target, std::uint8_t* buffer);
std::int32_t VendorStatusE4(transport::ScsiTransport& transport, std::uint8_t adapter,
                            std::uint8_t target, std::uint8_t* buffer);

// count x 96 bytes in.
std::int32_t ReadSubCodeBlocks(transport::ScsiTransport& transport, std::uint8_t adapter,
                               std::uint8_t target, std::uint32_t blockCount, std::uint8_t* buffer);

std::int32_t VendorReadE0(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint32_t length, std::uint8_t* buffer);

std::int32_t VendorE1(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target);

// Writes `length` bytes of `buffer` into the drive's memory at a 32-bit address.
std::int32_t WriteDriveMemory(transport::ScsiTransport& transport, std::uint8_t adapter,
                              std::uint8_t target, std::uint8_t byte1, std::uint32_t address,
                              std::uint32_t length, std::uint8_t* buffer);

// 12 bytes in; the parameter goes in byte 4 or byte 5.
std::int32_t VendorReadE5Byte4(transport::ScsiTransport& transport, std::uint8_t adapter,
                               std::uint8_t target, std::uint8_t parameter, std::uint8_t* buffer);
std::int32_t VendorReadE5Byte5(transport::ScsiTransport& transport, std::uint8_t adapter,
                               std::uint8_t target, std::uint8_t parameter, std::uint8_t* buffer);

// 32-bit address, 16-bit length; moves `length` bytes.
std::int32_t VendorWriteF0(transport::ScsiTransport& transport, std::uint8_t adapter,
                           std::uint8_t target, std::uint32_t address, std::uint32_t length,
                           std::uint8_t* buffer);
std::int32_t VendorReadF1(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint32_t address, std::uint32_t length,
                          std::uint8_t* buffer);

std::int32_t VendorF7(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint8_t flag, std::uint8_t byte2,
                      std::uint8_t byte3, std::uint32_t firstWord, std::uint32_t secondWord);
// 2 bytes in.
std::int32_t VendorReadF8(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint8_t flag, std::uint8_t byte2,
                          std::uint8_t byte3, std::uint32_t word, std::uint8_t* buffer);
std::int32_t VendorF9(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint8_t flag);
// value takes 7 bits.
std::int32_t VendorFa(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint8_t value);
// 8 bytes in.
std::int32_t VendorReadFb(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint8_t* buffer);
std::int32_t VendorReadFc(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint8_t flag, std::uint32_t address,
                          std::uint32_t length, std::uint8_t* buffer);
// Moves no data although the opcode counts as data-out.
std::int32_t VendorFd(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint32_t address, std::uint8_t byte9);

}  // namespace korvel::drive
