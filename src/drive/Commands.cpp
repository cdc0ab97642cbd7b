#include "drive/Commands.h"

#include "formats/ScsiOpcodes.h"

namespace korvel::drive {

std::int32_t TestUnitReady(transport::ScsiTransport& transport, std::uint8_t adapter,
                           std::uint8_t target) {
  return Cdb(formats::opcode::kTestUnitReady).Send(transport, adapter, target);
}

std::int32_t RequestSense(transport::ScsiTransport& transport, std::uint8_t adapter,
                          std::uint8_t target, std::uint8_t* buffer) {
  return Cdb(formats::opcode::kRequestSense)
      .Byte(4, kRequestSenseLength)
      .Send(transport, adapter, target, buffer, kRequestSenseLength);
}

std::int32_t RezeroUnit(transport::ScsiTransport& transport, std::uint8_t adapter,
                        std::uint8_t target) {
  return Cdb(formats::opcode::kRezeroUnit).Send(transport, adapter, target);
}

std::int32_t WriteBuffer(transport::ScsiTransport& transport, std::uint8_t adapter,
                         std::uint8_t target, std::uint8_t mode, std::uint8_t bufferId,
                         std::uint32_t offset, std::uint32_t length, std::uint8_t* buffer) {
  return Cdb(formats::opcode::kWriteBuffer)
      .Bits(1, mode, 3)
      .Byte(2, bufferId)
      .BigEndian(3, offset, 3)
      .BigEndian(6, length, 3)
      .Send(transport, adapter, target, buffer, std::uint64_t{length} + kWriteBufferExtraBytes);
}

std::int32_t ReadDriveMemory(transport::ScsiTransport& transport, std::uint8_t adapter,
                             std::uint8_t target, std::uint32_t address, std::uint32_t length,
                             std::uint8_t* buffer) {
  return Cdb(formats::opcode::kReadDriveMemory)
      .BigEndian(2, address, 4)
      .BigEndian(6, length, 4)
      .Send(transport, adapter, target, buffer, length);
}

}  // namespace korvel::drive
