// Builders of the standard SCSI and MMC commands a CD-R or CD-ROM drive takes, beyond those of
// the upgrade (Commands.h). Each fills one CDB, runs it with ExecuteCommand and returns that
// status unchanged (1 = success); none checks its arguments, retries or looks at the data.
//
// Arguments: a field of n bits takes the low n bits of its argument; a 24-bit address in bytes
// 3..5 leaves byte 2 zero; a flag is bit 0 of its argument. Transfer lengths are the ones named
// per builder; a transfer that would not fit in 32 bits is refused unsent (kStatusRefused).
#pragma once

#include <cstdint>

#include "drive/CommandLayout.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive {

inline constexpr std::uint32_t kUserDataBlockSize = 2048;
inline constexpr std::uint32_t kRawBlockSize = 2352;
inline constexpr std::uint32_t kSubcodeBlockSize = 96;

// --- Blocks: read, write, seek, verify -------------------------------------------------------

// Byte 1 takes bits 16..23 of the address whole. Moves count x 2048 bytes.
std::int32_t Read6(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::uint32_t blockAddress, std::uint8_t blockCount, std::uint8_t* buffer);
// The same CDB moving count x blockSize bytes, for drives set to another block size
// (ReadBlocksCompat).
std::int32_t Read6WithBlockSize(transport::ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target, std::uint32_t blockAddress,
                                std::uint8_t blockCount, std::uint32_t blockSize,
                                std::uint8_t* buffer);
std::int32_t Write6(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress, std::uint8_t blockCount, std::uint8_t* buffer);
std::int32_t Seek6(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::uint32_t blockAddress);

// 24-bit address, 16-bit count; count x 2048 or count x blockSize bytes in.
std::int32_t Read10(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress, std::uint32_t blockCount, std::uint8_t* buffer);
std::int32_t Read10WithBlockSize(transport::ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint32_t blockAddress,
                                 std::uint32_t blockCount, std::uint32_t blockSize,
                                 std::uint8_t* buffer);

// 32-bit address, 16-bit count; count x 2352, count x blockSize or count x 96 bytes out.
std::int32_t Write10Raw2352(transport::ScsiTransport& transport, std::uint8_t adapter,
                            std::uint8_t target, std::uint32_t blockAddress,
                            std::uint32_t blockCount, std::uint8_t* buffer);
std::int32_t Write10WithBlockSize(transport::ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint32_t blockAddress,
                                  std::uint32_t blockCount, std::uint32_t blockSize,
                                  std::uint8_t* buffer);
std::int32_t Write10Subcode96(transport::ScsiTransport& transport, std::uint8_t adapter,
                              std::uint8_t target, std::uint32_t blockAddress,
                              std::uint32_t blockCount, std::uint8_t* buffer);

std::int32_t Seek10(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress);
std::int32_t Verify10(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint32_t blockAddress, std::uint32_t length);

// 24-bit address and count; count x 2048 bytes.
std::int32_t Read12(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress, std::uint32_t blockCount, std::uint8_t* buffer);
std::int32_t Write12(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                     std::uint32_t blockAddress, std::uint32_t blockCount, std::uint8_t* buffer);
std::int32_t Verify12(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint32_t blockAddress, std::uint32_t length);

std::int32_t SynchronizeCache(transport::ScsiTransport& transport, std::uint8_t adapter,
                              std::uint8_t target, std::uint8_t immediate,
                              std::uint32_t blockAddress, std::uint32_t blockCount);

// byte9 selects header, user data and error fields, byte10 the sub-channel. The first form
// always moves 12 bytes; the second count x blockSize.
std::int32_t ReadCd12Bytes(transport::ScsiTransport& transport, std::uint8_t adapter,
                           std::uint8_t target, std::uint8_t byte9, std::uint8_t byte10,
                           std::uint32_t blockAddress, std::uint32_t blockCount,
                           std::uint8_t* buffer);
std::int32_t ReadCd(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint8_t byte9, std::uint8_t byte10, std::uint32_t blockAddress,
                    std::uint32_t blockCount, std::uint32_t blockSize, std::uint8_t* buffer);

// --- Unit control and diagnostics ------------------------------------------------------------

// The 3rdPty device ID takes bits 1..3, so an ID above 7 cannot set the 3rdPty bit.
std::int32_t Reserve6(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint8_t thirdPartyFlag,
                      std::uint8_t thirdPartyDeviceId);
std::int32_t Release6(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target, std::uint8_t thirdPartyFlag,
                      std::uint8_t thirdPartyDeviceId);

std::int32_t StartStopUnitEject(transport::ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target);
std::int32_t StartStopUnitLoad(transport::ScsiTransport& transport, std::uint8_t adapter,
                               std::uint8_t target);
std::int32_t StartStopUnit(transport::ScsiTransport& transport, std::uint8_t adapter,
                           std::uint8_t target, std::uint8_t immediate, std::uint8_t loadEject,
                           std::uint8_t start);

std::int32_t PreventMediumRemoval(transport::ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target);
std::int32_t AllowMediumRemoval(transport::ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target);

// 8 bytes in.
std::int32_t ReceiveDiagnosticResults(transport::ScsiTransport& transport, std::uint8_t adapter,
                                      std::uint8_t target, std::uint8_t* buffer);
// With the self-test flag nothing moves; without it 8 parameter bytes go out of `buffer`.
std::int32_t SendDiagnostic(transport::ScsiTransport& transport, std::uint8_t adapter,
                            std::uint8_t target, std::uint8_t selfTest, std::uint8_t* buffer);

// 8 bytes in.
std::int32_t ReadCapacity(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint8_t* buffer);

// --- Buffers ---------------------------------------------------------------------------------

// Buffer ID 0, 3-bit mode; moves allocationLength + 4 bytes in.
std::int32_t ReadBuffer(transport::ScsiTransport& transport, std::uint8_t adapter,
                        std::uint8_t target, std::uint8_t mode, std::uint32_t offset,
                        std::uint32_t allocationLength, std::uint8_t* buffer);
// Mode bit 0 only; move exactly their length.
std::int32_t ReadBufferOneBitMode(transport::ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint8_t mode, std::uint8_t bufferId,
                                  std::uint32_t offset, std::uint32_t allocationLength,
                                  std::uint8_t* buffer);
std::int32_t WriteBufferOneBitMode(transport::ScsiTransport& transport, std::uint8_t adapter,
                                   std::uint8_t target, std::uint8_t mode, std::uint8_t bufferId,
                                   std::uint32_t offset, std::uint32_t parameterListLength,
                                   std::uint8_t* buffer);
// 12 bytes in.
std::int32_t ReadBufferCapacity(transport::ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target, std::uint8_t* buffer);

// --- Disc structure: sub-channel, TOC, header, disc and track information ---------------------

std::int32_t ReadSubChannel(transport::ScsiTransport& transport, std::uint8_t adapter,
                            std::uint8_t target, std::uint8_t subQ, std::uint8_t msf,
                            std::uint8_t format, std::uint8_t trackNumber,
                            std::uint32_t allocationLength, std::uint8_t* buffer);

// The older form: the 2-bit format in the top bits of the control byte; moves the low 16 bits
// of allocationLength, as the CDB carries them.
std::int32_t ReadTocFormatInControlByte(transport::ScsiTransport& transport, std::uint8_t adapter,
                                        std::uint8_t target, std::uint8_t format,
                                        std::uint32_t allocationLength, std::uint8_t* buffer);
std::int32_t ReadToc(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                     std::uint8_t format, std::uint8_t trackOrSession,
                     std::uint32_t allocationLength, std::uint8_t* buffer);
std::int32_t ReadTocCdText(transport::ScsiTransport& transport, std::uint8_t adapter,
                           std::uint8_t target, std::uint32_t allocationLength,
                           std::uint8_t* buffer);

// Moves allocationLength x 8 bytes in.
std::int32_t ReadHeader(transport::ScsiTransport& transport, std::uint8_t adapter,
                        std::uint8_t target, std::uint8_t msf, std::uint32_t blockAddress,
                        std::uint32_t allocationLength, std::uint8_t* buffer);

std::int32_t ReadDiscInformation(transport::ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint32_t allocationLength,
                                 std::uint8_t* buffer);
std::int32_t ReadTrackInformation(transport::ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint8_t addressType,
                                  std::uint32_t trackOrBlockAddress, std::uint32_t allocationLength,
                                  std::uint8_t* buffer);

// --- Audio play ------------------------------------------------------------------------------

std::int32_t PlayAudio10(transport::ScsiTransport& transport, std::uint8_t adapter,
                         std::uint8_t target, std::uint32_t blockAddress, std::uint32_t length);
std::int32_t PlayAudio12(transport::ScsiTransport& transport, std::uint8_t adapter,
                         std::uint8_t target, std::uint32_t blockAddress, std::uint32_t length);
std::int32_t PlayAudioMsf(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint8_t startMinute, std::uint8_t startSecond,
                          std::uint8_t startFrame, std::uint8_t endMinute, std::uint8_t endSecond,
                          std::uint8_t endFrame);
// Plays to index 1 of endTrack.
std::int32_t PlayAudioTrackIndex(transport::ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint8_t startTrack,
                                 std::uint8_t startIndex, std::uint8_t endTrack);
std::int32_t PlayTrackRelative10(transport::ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint8_t track,
                                 std::uint32_t relativeAddress, std::uint32_t length);
std::int32_t PlayTrackRelative12(transport::ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint8_t track,
                                 std::uint32_t relativeAddress, std::uint32_t length);
std::int32_t Pause(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target);
std::int32_t Resume(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target);

// Read and write speeds in kB/s, 16 bits each.
std::int32_t SetCdSpeed(transport::ScsiTransport& transport, std::uint8_t adapter,
                        std::uint8_t target, std::uint32_t readSpeed, std::uint32_t writeSpeed);

// --- Recording -------------------------------------------------------------------------------

std::int32_t ReserveTrack(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint32_t reservationSize);
std::int32_t SendOpcInformation(transport::ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target, std::uint8_t byte1,
                                std::uint32_t parameterListLength, std::uint8_t* buffer);
std::int32_t RepairTrack(transport::ScsiTransport& transport, std::uint8_t adapter,
                         std::uint8_t target, std::uint8_t trackNumber);
std::int32_t CloseTrackSession(transport::ScsiTransport& transport, std::uint8_t adapter,
                               std::uint8_t target, std::uint8_t session, std::uint8_t trackFlag,
                               std::uint8_t trackNumber);
std::int32_t SendCueSheet(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint32_t cueSheetSize, std::uint8_t* buffer);
// The immediate bit is always set: byte 1 = blankingType OR 0x10.
std::int32_t Blank(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::uint32_t startAddressOrTrack, std::uint8_t blankingType);

}  // namespace korvel::drive
