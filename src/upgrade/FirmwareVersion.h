// What the firmware version field shows for a drive, read the same way after a selection and
// after an upgrade: the INQUIRY revision, or for the models that keep it elsewhere the four
// bytes of drive memory where it lives.
#pragma once

#include <string>

#include "drive/Identification.h"
#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::upgrade {

// The model whose INQUIRY revision is not its firmware version.
inline constexpr drive::DriveType kDriveTypeRevisionInMemory = 11;
inline constexpr std::uint32_t kFirmwareVersionAddress = 0x00100198;

struct FirmwareIdentity {
  std::string version;  // 4 characters, or "???"
  drive::DriveType type = drive::kDriveTypeNotMaker;
};

// For the model that keeps its version in drive memory, the 4 bytes read there with READ DRIVE
// MEMORY ("???" when the read fails); for any other type, `inquiryVersion` as it is.
std::string FirmwareVersionOfType(transport::ScsiTransport& transport,
                                  transport::DeviceAddress address, drive::DriveType type,
                                  std::string inquiryVersion);

// Sends INQUIRY (InquireDrive), INQUIRY (DriveTypeOf) and, for the type that keeps its version
// in memory, READ DRIVE MEMORY of 4 bytes; a command that fails leaves "???".
FirmwareIdentity ReadFirmwareIdentity(transport::ScsiTransport& transport,
                                      transport::DeviceAddress address);

}  // namespace korvel::upgrade
