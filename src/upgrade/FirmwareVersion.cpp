#include "upgrade/FirmwareVersion.h"

#include <array>
#include <cstdint>
#include <utility>

#include "drive/Commands.h"
#include "upgrade/StatusTexts.h"

namespace korvel::upgrade {

std::string FirmwareVersionOfType(transport::ScsiTransport& transport,
                                  transport::DeviceAddress address, drive::DriveType type,
                                  std::string inquiryVersion) {
  if (type != kDriveTypeRevisionInMemory) return inquiryVersion;
  // One byte more than read keeps the text terminated.
  std::array<std::uint8_t, 5> memory{};
  const std::int32_t status = drive::ReadDriveMemory(transport, address.adapter, address.target,
                                                     kFirmwareVersionAddress, 4, memory.data());
  // Without the drive's answer the buffer holds no version: say so rather than show it.
  if (status != 1) return kUnknownFirmwareVersion;
  return std::string(reinterpret_cast<const char*>(memory.data()));
}

FirmwareIdentity ReadFirmwareIdentity(transport::ScsiTransport& transport,
                                      transport::DeviceAddress address) {
  FirmwareIdentity identity;
  identity.version = kUnknownFirmwareVersion;
  drive::InquiryInfo info;
  if (drive::InquireDrive(transport, address.adapter, address.target, info) != 0) {
    identity.version = info.revision;
  }
  identity.type = drive::DriveTypeOf(transport, address.adapter, address.target);
  identity.version =
      FirmwareVersionOfType(transport, address, identity.type, std::move(identity.version));
  return identity;
}

}  // namespace korvel::upgrade
