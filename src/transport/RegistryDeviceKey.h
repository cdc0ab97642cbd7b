// The device key under which Windows 9x lists a SCSI device: the vendor (8 characters) and
// product (16) fields of its INQUIRY data joined, every blank replaced by "_".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transport/ScsiTransport.h"

namespace korvel::transport {

inline constexpr std::size_t kDeviceKeyLength = 24;

std::string DeviceKeyOf(const char* vendor, const char* product);

// Asks (adapter, target) for its identity as the identification layer does (the port driver's
// data in pass-through mode, otherwise a 56-byte INQUIRY) and gives its device key; nothing when
// the device does not answer. The transport sits below that layer, hence its own request here.
std::optional<std::string> InquireDeviceKey(ScsiTransport& transport, std::uint8_t adapter,
                                            std::uint8_t target);

}  // namespace korvel::transport
