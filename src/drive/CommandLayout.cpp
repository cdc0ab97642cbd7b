#include "drive/CommandLayout.h"

#include <limits>
#include <stdexcept>

#include "formats/BigEndian.h"
#include "transport/CdbLength.h"

namespace korvel::drive {

void Cdb::CheckInside(std::size_t offset, std::size_t width) const {
  if (offset == 0 || offset + width > transport::CdbLengthOf(bytes_[0])) {
    throw std::logic_error("CDB field outside the command's length");
  }
}

Cdb& Cdb::Bits(std::size_t offset, std::uint32_t value, unsigned width, unsigned shift) {
  CheckInside(offset, 1);
  if (width == 0 || width + shift > 8) throw std::logic_error("CDB bit field outside its byte");
  const std::uint32_t mask = (1u << width) - 1u;
  bytes_[offset] |= static_cast<std::uint8_t>((value & mask) << shift);
  return *this;
}

Cdb& Cdb::BigEndian(std::size_t offset, std::uint32_t value, std::size_t width) {
  CheckInside(offset, width);
  formats::PutBigEndian(&bytes_[offset], value, width);
  return *this;
}

std::int32_t Cdb::Send(transport::ScsiTransport& transport, std::uint8_t adapter,
                       std::uint8_t target, std::uint8_t* buffer,
                       std::uint64_t transferLength) const {
  if (transferLength > std::numeric_limits<std::uint32_t>::max()) return kStatusRefused;
  if (transferLength == 0) buffer = nullptr;
  return transport.ExecuteCommand(adapter, target, bytes_.data(), buffer,
                                  static_cast<std::uint32_t>(transferLength));
}

}  // namespace korvel::drive
