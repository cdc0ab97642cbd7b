// The reply of IOCTL_SCSI_GET_INQUIRY_DATA for one SCSI port: a SCSI_ADAPTER_BUS_INFO with one
// SCSI_BUS_DATA per bus, followed by one chain of SCSI_INQUIRY_DATA entries per bus.
#pragma once

#include <vector>

#include "platform/WinTypes.h"
#include "platform/sim/EmulatedBus.h"

namespace korvel::platform::sim {

// `devices` are the port's devices; those that did not answer INQUIRY at boot are not listed.
std::vector<BYTE> BuildPortInquiryData(const AdapterSettings& adapter,
                                       const std::vector<BusDevice*>& devices);

}  // namespace korvel::platform::sim
