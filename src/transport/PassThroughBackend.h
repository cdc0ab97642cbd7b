// The Windows NT pass-through back end: IOCTL_SCSI_PASS_THROUGH_DIRECT on the handle that is
// open on the drive letter of the addressed CD-ROM drive.
#pragma once

#include "platform/Platform.h"
#include "transport/CommandBackend.h"
#include "transport/TransportState.h"

namespace korvel::transport {

// What an address without a drive handle reports: nothing was sent.
inline constexpr std::int32_t kStatusNoDriveHandle = -1;

// What the reserved SCSI status byte 1 reports: any value but 1, which would read as success.
inline constexpr std::int32_t kPassThroughStatusReservedScsiStatus = 0x30001;

// TimeOutValue of every request, in seconds (30 hours: firmware saves may take long).
inline constexpr platform::DWORD kPassThroughTimeoutSeconds = 108000;

class PassThroughBackend : public CommandBackend {
 public:
  PassThroughBackend(platform::Platform& platform, TransportState& state)
      : platform_(platform), state_(state) {}
  BackendOutcome Execute(const CommandRequest& request) override;

 private:
  platform::Platform& platform_;
  TransportState& state_;
};

}  // namespace korvel::transport
