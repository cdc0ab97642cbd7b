#include "drive/CommandsVendor.h"

#include "formats/ScsiOpcodes.h"

namespace korvel::drive {
namespace {

using transport::ScsiTransport;

constexpr std::uint8_t kVendorCdByteForm = 2;
constexpr std::uint32_t kVendorStatusLength = 2;
constexpr std::uint32_t kVendorReadE5Length = 12;
constexpr std::uint32_t kVendorReadF8Length = 2;
constexpr std::uint32_t kVendorReadFbLength = 8;
constexpr std::uint32_t kSubCodeBlockSize = 96;
constexpr std::uint32_t kFramesPerMinute = 4500;
constexpr std::uint32_t kFramesPerSecond = 75;

// Bytes 2..5 address, 8..9 length: VENDOR WRITE 0xF0, VENDOR READ 0xF1 and 0xFC.
Cdb Address32Length16(std::uint8_t op, std::uint32_t address, std::uint32_t length) {
  Cdb cdb(op);
  cdb.BigEndian(2, address, 4).BigEndian(8, length, 2);
  return cdb;
}

// Flag in byte 1, two plain bytes and a word: VENDOR 0xF7 and VENDOR READ 0xF8.
Cdb FlagBytesWord(std::uint8_t op, std::uint8_t flag, std::uint8_t byte2, std::uint8_t byte3,
                  std::uint32_t word) {
  Cdb cdb(op);
  cdb.Flag(1, flag, 0).Byte(2, byte2).Byte(3, byte3).BigEndian(4, word, 2);
  return cdb;
}

Cdb VendorReadE5(std::size_t parameterByte, std::uint8_t parameter) {
  Cdb cdb(formats::opcode::kVendorReadE5);
  cdb.Byte(parameterByte, parameter).Byte(8, kVendorReadE5Length);
  return cdb;
}

}  // namespace

std::uint32_t CdDaSectorSize(std::uint8_t subcodeSelector) {
  switch (subcodeSelector) {
    case 1:
      return kCdDaSectorSizeSelector1;
    case 2:
      return kCdDaSectorSizeSelector2;
    case 3:
      return kCdDaSectorSizeSelector3;
    default:
      return kCdDaSectorSize;
  }
}

std::uint32_t MsfFrames(std::uint32_t msf) {
  const std::uint32_t minute = (msf >> 16) & 0xFF;
  const std::uint32_t second = (msf >> 8) & 0xFF;
  const std::uint32_t frame = msf & 0xFF;
  return minute * kFramesPerMinute + second * kFramesPerSecond + frame;
}

std::int32_t VendorCd(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint8_t flag, std::uint8_t selector, std::uint32_t value,
                      std::uint8_t form) {
  Cdb cdb(formats::opcode::kVendorCd);
  cdb.Flag(1, flag, 4).Bits(1, selector, 3);
  if (form == kVendorCdByteForm) {
    cdb.Byte(5, value);
  } else {
    cdb.BigEndian(3, value, 3);
  }
  return cdb.Send(transport, adapter, target);
}

std::int32_t ReadCdDa(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint32_t blockAddress, std::uint32_t blockCount,
                      std::uint8_t subcodeSelector, std::uint32_t transferLength,
                      std::uint8_t* buffer) {
  return Cdb(formats::opcode::kReadCdDa)
      .BigEndian(3, blockAddress, 3)
      .BigEndian(7, blockCount, 3)
      .Byte(10, subcodeSelector)
      .Send(transport, adapter, target, buffer, transferLength);
}

std::int32_t ReadCdDaMsf(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                         std::uint32_t startMsf, std::uint32_t endMsf, std::uint8_t subcodeSelector,
                         std::uint8_t* buffer) {
  const std::uint32_t startFrames = MsfFrames(startMsf);
  const std::uint32_t endFrames = MsfFrames(endMsf);
  // An end before the start would wrap to a transfer of gigabytes into the caller's buffer.
  if (endFrames < startFrames) return kStatusRefused;
  const std::uint64_t transferLength =
      std::uint64_t{endFrames - startFrames} * CdDaSectorSize(subcodeSelector);
  return Cdb(formats::opcode::kReadCdDaMsf)
      .BigEndian(3, startMsf, 3)
      .BigEndian(7, endMsf, 3)
      .Byte(10, subcodeSelector)
      .Send(transport, adapter, target, buffer, transferLength);
}

std::int32_t VendorStatusDe(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                            std::uint8_t* buffer) {
  return Cdb(formats::opcode::kVendorStatusDe)
      .Send(transport, adapter, target, buffer, kVendorStatusLength);
}

std::int32_t VendorStatusE4(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                            std::uint8_t* buffer) {
  return Cdb(formats::opcode::kVendorStatusE4)
      .Send(transport, adapter, target, buffer, kVendorStatusLength);
}

std::int32_t ReadSubCodeBlocks(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                               std::uint32_t blockCount, std::uint8_t* buffer) {
  return Cdb(formats::opcode::kReadSubCodeBlocks)
      .BigEndian(6, blockCount, 4)
      .Send(transport, adapter, target, buffer, std::uint64_t{blockCount} * kSubCodeBlockSize);
}

std::int32_t VendorReadE0(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint32_t length, std::uint8_t* buffer) {
  return Cdb(formats::opcode::kVendorReadE0)
      .BigEndian(8, length, 2)
      .Send(transport, adapter, target, buffer, length);
}

std::int32_t VendorE1(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target) {
  return Cdb(formats::opcode::kVendorE1).Byte(1, 4).Byte(2, 0xFF).Send(transport, adapter, target);
}

std::int32_t WriteDriveMemory(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                              std::uint8_t byte1, std::uint32_t address, std::uint32_t length,
                              std::uint8_t* buffer) {
  return Cdb(formats::opcode::kWriteDriveMemory)
      .Byte(1, byte1)
      .BigEndian(2, address, 4)
      .BigEndian(6, length, 4)
      .Send(transport, adapter, target, buffer, length);
}

std::int32_t VendorReadE5Byte4(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                               std::uint8_t parameter, std::uint8_t* buffer) {
  return VendorReadE5(4, parameter).Send(transport, adapter, target, buffer, kVendorReadE5Length);
}

std::int32_t VendorReadE5Byte5(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                               std::uint8_t parameter, std::uint8_t* buffer) {
  return VendorReadE5(5, parameter).Send(transport, adapter, target, buffer, kVendorReadE5Length);
}

std::int32_t VendorWriteF0(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                           std::uint32_t address, std::uint32_t length, std::uint8_t* buffer) {
  return Address32Length16(formats::opcode::kVendorWriteF0, address, length)
      .Send(transport, adapter, target, buffer, length);
}

std::int32_t VendorReadF1(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint32_t address, std::uint32_t length, std::uint8_t* buffer) {
  return Address32Length16(formats::opcode::kVendorReadF1, address, length)
      .Send(transport, adapter, target, buffer, length);
}

std::int32_t VendorF7(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint8_t flag, std::uint8_t byte2, std::uint8_t byte3,
                      std::uint32_t firstWord, std::uint32_t secondWord) {
  return FlagBytesWord(formats::opcode::kVendorF7, flag, byte2, byte3, firstWord)
      .BigEndian(6, secondWord, 2)
      .Send(transport, adapter, target);
}

std::int32_t VendorReadF8(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint8_t flag, std::uint8_t byte2, std::uint8_t byte3,
                          std::uint32_t word, std::uint8_t* buffer) {
  return FlagBytesWord(formats::opcode::kVendorReadF8, flag, byte2, byte3, word)
      .Send(transport, adapter, target, buffer, kVendorReadF8Length);
}

std::int32_t VendorF9(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint8_t flag) {
  return Cdb(formats::opcode::kVendorF9).Flag(1, flag, 0).Send(transport, adapter, target);
}

std::int32_t VendorFa(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint8_t value) {
  return Cdb(formats::opcode::kVendorFa).Bits(2, value, 7).Send(transport, adapter, target);
}

std::int32_t VendorReadFb(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint8_t* buffer) {
  return Cdb(formats::opcode::kVendorReadFb)
      .Send(transport, adapter, target, buffer, kVendorReadFbLength);
}

std::int32_t VendorReadFc(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                          std::uint8_t flag, std::uint32_t address, std::uint32_t length,
                          std::uint8_t* buffer) {
  return Address32Length16(formats::opcode::kVendorReadFc, address, length)
      .Flag(1, flag, 0)
      .Send(transport, adapter, target, buffer, length);
}

std::int32_t VendorFd(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                      std::uint32_t address, std::uint8_t byte9) {
  return Cdb(formats::opcode::kVendorFd)
      .BigEndian(2, address, 4)
      .Byte(9, byte9)
      .Send(transport, adapter, target);
}

}  // namespace korvel::drive
