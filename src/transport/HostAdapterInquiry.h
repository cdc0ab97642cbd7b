// The identity of a host adapter (ASPI's host adapter inquiry, or the NT port's bus data and
// driver name) and the name of the miniport driver of an NT SCSI port.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transport/ScsiTransport.h"

namespace korvel::transport {

struct HostAdapterIdentity {
  char manager[17] = {};
  char identifier[17] = {};
  std::uint8_t unique[16] = {};
  std::uint8_t hostScsiId = 0;
};

// ASPI mode: SC_HA_INQUIRY for `adapter`, the library's status as result (the fields are copied
// whatever it says). Pass-through mode: the port's initiator ID, its driver name cut to 16
// characters as identifier, manager "N/A"; result 1.
std::int32_t HostAdapterInquiry(ScsiTransport& transport, std::uint8_t adapter,
                                HostAdapterIdentity& identity);

// The adapters from 8 up of the `reportedCount` that the start-up counted: the address tables
// hold adapters 0..7 only, so their drives cannot be reached. One line for each, naming it by
// its inquiry's identifier (blanks trimmed, unprintable bytes as '?'); none when
// `reportedCount` is 8 or less.
std::vector<std::string> UnreachableAdapterNotes(ScsiTransport& transport, int reportedCount);

// The whole "Driver" value of HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\Scsi\Scsi Port <port>, or
// "unknown" when it cannot be read.
std::string ScsiPortDriverName(ScsiTransport& transport, int port);

}  // namespace korvel::transport
