#include "drive/CommandsStandard.h"

#include "formats/ScsiOpcodes.h"

namespace korvel::drive {
namespace {

using transport::ScsiTransport;

// Computed wide so that a count and size whose product leaves 32 bits are refused, not wrapped.
std::uint64_t BlocksOf(std::uint32_t count, std::uint32_t blockSize) {
  return std::uint64_t{count} * blockSize;
}

// READ(6), WRITE(6) and SEEK(6) carry a 24-bit address with bits 16..23 whole in byte 1.
Cdb Address6(std::uint8_t op, std::uint32_t blockAddress) {
  Cdb cdb(op);
  cdb.BigEndian(1, blockAddress, 3);
  return cdb;
}

Cdb Reservation6(std::uint8_t op, std::uint8_t thirdPartyFlag, std::uint8_t thirdPartyDeviceId) {
  Cdb cdb(op);
  cdb.Flag(1, thirdPartyFlag, 4).Bits(1, thirdPartyDeviceId, 3, 1).Byte(4, 8);
  return cdb;
}

Cdb Read10Layout(std::uint32_t blockAddress, std::uint32_t blockCount) {
  Cdb cdb(formats::opcode::kRead10);
  cdb.BigEndian(3, blockAddress, 3).BigEndian(7, blockCount, 2);
  return cdb;
}

Cdb Write10Layout(std::uint32_t blockAddress, std::uint32_t blockCount) {
  Cdb cdb(formats::opcode::kWrite10);
  cdb.BigEndian(2, blockAddress, 4).BigEndian(7, blockCount, 2);
  return cdb;
}

// 24-bit address in bytes 3..5 and 24-bit count in bytes 7..9: READ(12), WRITE(12), VERIFY(12),
// PLAY AUDIO(12).
Cdb Address24Count24(std::uint8_t op, std::uint32_t blockAddress, std::uint32_t count) {
  Cdb cdb(op);
  cdb.BigEndian(3, blockAddress, 3).BigEndian(7, count, 3);
  return cdb;
}

// 24-bit address in bytes 3..5 and 16-bit length in bytes 7..8: VERIFY(10), PLAY AUDIO(10).
Cdb Address24Length16(std::uint8_t op, std::uint32_t blockAddress, std::uint32_t length) {
  Cdb cdb(op);
  cdb.BigEndian(3, blockAddress, 3).BigEndian(7, length, 2);
  return cdb;
}

Cdb ReadCdLayout(std::uint8_t byte9, std::uint8_t byte10, std::uint32_t blockAddress,
                 std::uint32_t blockCount) {
  Cdb cdb(formats::opcode::kReadCd);
  cdb.BigEndian(2, blockAddress, 4).BigEndian(6, blockCount, 3).Byte(9, byte9).Byte(10, byte10);
  return cdb;
}

Cdb BufferLayout(std::uint8_t op, std::uint8_t bufferId, std::uint32_t offset,
                 std::uint32_t length) {
  Cdb cdb(op);
  cdb.Byte(2, bufferId).BigEndian(3, offset, 3).BigEndian(6, length, 3);
  return cdb;
}

Cdb AllocationLength16(std::uint8_t op, std::uint32_t allocationLength) {
  Cdb cdb(op);
  cdb.BigEndian(7, allocationLength, 2);
  return cdb;
}

constexpr std::uint32_t kDiagnosticParameterLength = 8;
constexpr std::uint32_t kReadCapacityLength = 8;
constexpr std::uint32_t kBufferCapacityLength = 12;
constexpr std::uint32_t kReadBufferHeaderBytes = 4;
constexpr std::uint32_t kReadHeaderUnit = 8;
constexpr std::uint32_t kReadCdFixedTransfer = 12;
constexpr std::uint8_t kTocFormatCdText = 5;
constexpr std::uint8_t kBlankImmediate = 0x10;

}  // namespace

std::int32_t Read6(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::uint32_t blockAddress, std::uint8_t blockCount, std::uint8_t* buffer) {
  return Read6WithBlockSize(transport, adapter, target, blockAddress, blockCount,
                            kUserDataBlockSize, buffer);
}

std::int32_t Read6WithBlockSize(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                                std::uint32_t blockAddress, std::uint8_t blockCount,
                                std::uint32_t blockSize, std::uint8_t* buffer) {
  return Address6(formats::opcode::kRead6, blockAddress)
      .Byte(4, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, blockSize));
}

std::int32_t Write6(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress, std::uint8_t blockCount, std::uint8_t* buffer) {
  return Address6(formats::opcode::kWrite6, blockAddress)
      .Byte(4, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, kUserDataBlockSize));
}

std::int32_t Seek6(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::uint32_t blockAddress) {
  return Address6(formats::opcode::kSeek6, blockAddress).Send(transport, adapter, target);
}

std::int32_t Read10(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress, std::uint32_t blockCount, std::uint8_t* buffer) {
  return Read10Layout(blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, kUserDataBlockSize));
}

std::int32_t Read10WithBlockSize(ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint32_t blockAddress,
                                 std::uint32_t blockCount, std::uint32_t blockSize,
                                 std::uint8_t* buffer) {
  return Read10Layout(blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, blockSize));
}

std::int32_t Write10Raw2352(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                            std::uint32_t blockAddress, std::uint32_t blockCount,
                            std::uint8_t* buffer) {
  return Write10Layout(blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, kRawBlockSize));
}

std::int32_t Write10WithBlockSize(ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint32_t blockAddress,
                                  std::uint32_t blockCount, std::uint32_t blockSize,
                                  std::uint8_t* buffer) {
  return Write10Layout(blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, blockSize));
}

std::int32_t Write10Subcode96(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                              std::uint32_t blockAddress, std::uint32_t blockCount,
                              std::uint8_t* buffer) {
  return Write10Layout(blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, kSubcodeBlockSize));
}

std::int32_t Seek10(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress) {
  return Cdb(formats::opcode::kSeek10)
      .BigEndian(3, blockAddress, 3)
      .Send(transport, adapter, target);
}

std::int32_t Verify10(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint32_t blockAddress, std::uint32_t length) {
  return Address24Length16(formats::opcode::kVerify10, blockAddress, length)
      .Send(transport, adapter, target);
}

std::int32_t Read12(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint32_t blockAddress, std::uint32_t blockCount, std::uint8_t* buffer) {
  return Address24Count24(formats::opcode::kRead12, blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, kUserDataBlockSize));
}

std::int32_t Write12(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                     std::uint32_t blockAddress, std::uint32_t blockCount, std::uint8_t* buffer) {
  return Address24Count24(formats::opcode::kWrite12, blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, kUserDataBlockSize));
}

std::int32_t Verify12(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint32_t blockAddress, std::uint32_t length) {
  return Address24Count24(formats::opcode::kVerify12, blockAddress, length)
      .Send(transport, adapter, target);
}

std::int32_t SynchronizeCache(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                              std::uint8_t immediate, std::uint32_t blockAddress,
                              std::uint32_t blockCount) {
  return Cdb(formats::opcode::kSynchronizeCache)
      .Flag(1, immediate, 1)
      .BigEndian(2, blockAddress, 4)
      .BigEndian(7, blockCount, 2)
      .Send(transport, adapter, target);
}

std::int32_t ReadCd12Bytes(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                           std::uint8_t byte9, std::uint8_t byte10, std::uint32_t blockAddress,
                           std::uint32_t blockCount, std::uint8_t* buffer) {
  return ReadCdLayout(byte9, byte10, blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, kReadCdFixedTransfer);
}

std::int32_t ReadCd(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                    std::uint8_t byte9, std::uint8_t byte10, std::uint32_t blockAddress,
                    std::uint32_t blockCount, std::uint32_t blockSize, std::uint8_t* buffer) {
  return ReadCdLayout(byte9, byte10, blockAddress, blockCount)
      .Send(transport, adapter, target, buffer, BlocksOf(blockCount, blockSize));
}

std::int32_t Reserve6(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint8_t thirdPartyFlag, std::uint8_t thirdPartyDeviceId) {
  return Reservation6(formats::opcode::kReserve6, thirdPartyFlag, thirdPartyDeviceId)
      .Send(transport, adapter, target);
}

std::int32_t Release6(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint8_t thirdPartyFlag, std::uint8_t thirdPartyDeviceId) {
  return Reservation6(formats::opcode::kRelease6, thirdPartyFlag, thirdPartyDeviceId)
      .Send(transport, adapter, target);
}

std::int32_t StartStopUnitEject(ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target) {
  return StartStopUnit(transport, adapter, target, 0, 1, 0);
}

std::int32_t StartStopUnitLoad(ScsiTransport& transport, std::uint8_t adapter,
                               std::uint8_t target) {
  return StartStopUnit(transport, adapter, target, 0, 1, 1);
}

std::int32_t StartStopUnit(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                           std::uint8_t immediate, std::uint8_t loadEject, std::uint8_t start) {
  return Cdb(formats::opcode::kStartStopUnit)
      .Flag(1, immediate, 0)
      .Flag(4, loadEject, 1)
      .Flag(4, start, 0)
      .Send(transport, adapter, target);
}

std::int32_t PreventMediumRemoval(ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target) {
  return Cdb(formats::opcode::kPreventAllowMediumRemoval)
      .Byte(4, 1)
      .Send(transport, adapter, target);
}

std::int32_t AllowMediumRemoval(ScsiTransport& transport, std::uint8_t adapter,
                                std::uint8_t target) {
  return Cdb(formats::opcode::kPreventAllowMediumRemoval).Send(transport, adapter, target);
}

std::int32_t ReceiveDiagnosticResults(ScsiTransport& transport, std::uint8_t adapter,
                                      std::uint8_t target, std::uint8_t* buffer) {
  return Cdb(formats::opcode::kReceiveDiagnosticResults)
      .Byte(4, kDiagnosticParameterLength)
      .Send(transport, adapter, target, buffer, kDiagnosticParameterLength);
}

std::int32_t SendDiagnostic(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                            std::uint8_t selfTest, std::uint8_t* buffer) {
  Cdb cdb(formats::opcode::kSendDiagnostic);
  cdb.Flag(1, selfTest, 2);
  // The drive's own self-test takes no parameter list.
  if ((selfTest & 1) != 0) return cdb.Send(transport, adapter, target);
  return cdb.Byte(4, kDiagnosticParameterLength)
      .Send(transport, adapter, target, buffer, kDiagnosticParameterLength);
}

std::int32_t ReadCapacity(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint8_t* buffer) {
  return Cdb(formats::opcode::kReadCapacity)
      .Send(transport, adapter, target, buffer, kReadCapacityLength);
}

std::int32_t ReadBuffer(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                        std::uint8_t mode, std::uint32_t offset, std::uint32_t allocationLength,
                        std::uint8_t* buffer) {
  return BufferLayout(formats::opcode::kReadBuffer, 0, offset, allocationLength)
      .Bits(1, mode, 3)
      .Send(transport, adapter, target, buffer,
            std::uint64_t{allocationLength} + kReadBufferHeaderBytes);
}

std::int32_t ReadBufferOneBitMode(ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint8_t mode, std::uint8_t bufferId,
                                  std::uint32_t offset, std::uint32_t allocationLength,
                                  std::uint8_t* buffer) {
  return BufferLayout(formats::opcode::kReadBuffer, bufferId, offset, allocationLength)
      .Flag(1, mode, 0)
      .Send(transport, adapter, target, buffer, allocationLength);
}

std::int32_t WriteBufferOneBitMode(ScsiTransport& transport, std::uint8_t adapter,
                                   std::uint8_t target, std::uint8_t mode, std::uint8_t bufferId,
                                   std::uint32_t offset, std::uint32_t parameterListLength,
                                   std::uint8_t* buffer) {
  return BufferLayout(formats::opcode::kWriteBuffer, bufferId, offset, parameterListLength)
      .Flag(1, mode, 0)
      .Send(transport, adapter, target, buffer, parameterListLength);
}

std::int32_t ReadBufferCapacity(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                                std::uint8_t* buffer) {
  return Cdb(formats::opcode::kReadBufferCapacity)
      .Byte(8, kBufferCapacityLength)
      .Send(transport, adapter, target, buffer, kBufferCapacityLength);
}

std::int32_t ReadSubChannel(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                            std::uint8_t subQ, std::uint8_t msf, std::uint8_t format,
                            std::uint8_t trackNumber, std::uint32_t allocationLength,
                            std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kReadSubChannel, allocationLength)
      .Flag(1, msf, 1)
      .Flag(2, subQ, 6)
      .Byte(3, format)
      .Byte(6, trackNumber)
      .Send(transport, adapter, target, buffer, allocationLength);
}

std::int32_t ReadTocFormatInControlByte(ScsiTransport& transport, std::uint8_t adapter,
                                        std::uint8_t target, std::uint8_t format,
                                        std::uint32_t allocationLength, std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kReadToc, allocationLength)
      .Bits(9, format, 2, 6)
      .Send(transport, adapter, target, buffer, allocationLength & 0xFFFFu);
}

std::int32_t ReadToc(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                     std::uint8_t format, std::uint8_t trackOrSession,
                     std::uint32_t allocationLength, std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kReadToc, allocationLength)
      .Byte(2, format)
      .Byte(6, trackOrSession)
      .Send(transport, adapter, target, buffer, allocationLength);
}

std::int32_t ReadTocCdText(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                           std::uint32_t allocationLength, std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kReadToc, allocationLength)
      .Byte(2, kTocFormatCdText)
      .Send(transport, adapter, target, buffer, allocationLength);
}

std::int32_t ReadHeader(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                        std::uint8_t msf, std::uint32_t blockAddress,
                        std::uint32_t allocationLength, std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kReadHeader, allocationLength)
      .Flag(1, msf, 1)
      .BigEndian(3, blockAddress, 3)
      .Send(transport, adapter, target, buffer, BlocksOf(allocationLength, kReadHeaderUnit));
}

std::int32_t ReadDiscInformation(ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint32_t allocationLength,
                                 std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kReadDiscInformation, allocationLength)
      .Send(transport, adapter, target, buffer, allocationLength);
}

std::int32_t ReadTrackInformation(ScsiTransport& transport, std::uint8_t adapter,
                                  std::uint8_t target, std::uint8_t addressType,
                                  std::uint32_t trackOrBlockAddress, std::uint32_t allocationLength,
                                  std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kReadTrackInformation, allocationLength)
      .Byte(1, addressType)
      .BigEndian(2, trackOrBlockAddress, 4)
      .Send(transport, adapter, target, buffer, allocationLength);
}

std::int32_t PlayAudio10(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                         std::uint32_t blockAddress, std::uint32_t length) {
  return Address24Length16(formats::opcode::kPlayAudio10, blockAddress, length)
      .Send(transport, adapter, target);
}

std::int32_t PlayAudio12(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                         std::uint32_t blockAddress, std::uint32_t length) {
  return Address24Count24(formats::opcode::kPlayAudio12, blockAddress, length)
      .Send(transport, adapter, target);
}

std::int32_t PlayAudioMsf(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint8_t startMinute, std::uint8_t startSecond,
                          std::uint8_t startFrame, std::uint8_t endMinute, std::uint8_t endSecond,
                          std::uint8_t endFrame) {
  return Cdb(formats::opcode::kPlayAudioMsf)
      .Byte(3, startMinute)
      .Byte(4, startSecond)
      .Byte(5, startFrame)
      .Byte(6, endMinute)
      .Byte(7, endSecond)
      .Byte(8, endFrame)
      .Send(transport, adapter, target);
}

std::int32_t PlayAudioTrackIndex(ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint8_t startTrack,
                                 std::uint8_t startIndex, std::uint8_t endTrack) {
  constexpr std::uint8_t kEndIndex = 1;
  return Cdb(formats::opcode::kPlayAudioTrackIndex)
      .Byte(4, startTrack)
      .Byte(5, startIndex)
      .Byte(7, endTrack)
      .Byte(8, kEndIndex)
      .Send(transport, adapter, target);
}

std::int32_t PlayTrackRelative10(ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint8_t track,
                                 std::uint32_t relativeAddress, std::uint32_t length) {
  return Address24Length16(formats::opcode::kPlayTrackRelative10, relativeAddress, length)
      .Byte(6, track)
      .Send(transport, adapter, target);
}

std::int32_t PlayTrackRelative12(ScsiTransport& transport, std::uint8_t adapter,
                                 std::uint8_t target, std::uint8_t track,
                                 std::uint32_t relativeAddress, std::uint32_t length) {
  return Address24Count24(formats::opcode::kPlayTrackRelative12, relativeAddress, length)
      .Byte(10, track)
      .Send(transport, adapter, target);
}

std::int32_t Pause(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target) {
  return Cdb(formats::opcode::kPauseResume).Send(transport, adapter, target);
}

std::int32_t Resume(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target) {
  return Cdb(formats::opcode::kPauseResume).Flag(8, 1, 0).Send(transport, adapter, target);
}

std::int32_t SetCdSpeed(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                        std::uint32_t readSpeed, std::uint32_t writeSpeed) {
  return Cdb(formats::opcode::kSetCdSpeed)
      .BigEndian(2, readSpeed, 2)
      .BigEndian(4, writeSpeed, 2)
      .Send(transport, adapter, target);
}

std::int32_t ReserveTrack(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint32_t reservationSize) {
  return Cdb(formats::opcode::kReserveTrack)
      .BigEndian(6, reservationSize, 3)
      .Send(transport, adapter, target);
}

std::int32_t SendOpcInformation(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                                std::uint8_t byte1, std::uint32_t parameterListLength,
                                std::uint8_t* buffer) {
  return AllocationLength16(formats::opcode::kSendOpcInformation, parameterListLength)
      .Byte(1, byte1)
      .Send(transport, adapter, target, buffer, parameterListLength);
}

std::int32_t RepairTrack(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                         std::uint8_t trackNumber) {
  return Cdb(formats::opcode::kRepairTrack).Byte(5, trackNumber).Send(transport, adapter, target);
}

std::int32_t CloseTrackSession(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                               std::uint8_t session, std::uint8_t trackFlag,
                               std::uint8_t trackNumber) {
  return Cdb(formats::opcode::kCloseTrackSession)
      .Flag(2, session, 1)
      .Flag(2, trackFlag, 0)
      .Byte(5, trackNumber)
      .Send(transport, adapter, target);
}

std::int32_t SendCueSheet(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint32_t cueSheetSize, std::uint8_t* buffer) {
  return Cdb(formats::opcode::kSendCueSheet)
      .BigEndian(6, cueSheetSize, 3)
      .Send(transport, adapter, target, buffer, cueSheetSize);
}

std::int32_t Blank(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                   std::uint32_t startAddressOrTrack, std::uint8_t blankingType) {
  return Cdb(formats::opcode::kBlank)
      .Byte(1, blankingType | kBlankImmediate)
      .BigEndian(2, startAddressOrTrack, 4)
      .Send(transport, adapter, target);
}

}  // namespace korvel::drive
