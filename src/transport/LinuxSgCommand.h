// One command carried to a Linux SCSI device node by the SG_IO ioctl, with its outcome read
// back under the transport's status rules: 1 for GOOD and nothing else.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/linux/SgDeviceAccess.h"
#include "transport/CommandBackend.h"

namespace korvel::transport {

// Status values of the Linux back end besides 1 (GOOD) and the target's own SCSI status byte
// (2 CHECK CONDITION, 8 BUSY, ...). None of them can be 1.
inline constexpr std::int32_t kLinuxStatusNoDevice = -1;          // nothing sent, nothing stored
inline constexpr std::int32_t kLinuxStatusSystemError = 0x10000;  // + errno of the ioctl
inline constexpr std::int32_t kLinuxStatusHostError = 0x20000;    // + host << 8 + driver status
inline constexpr std::int32_t kLinuxStatusUndefinedScsiStatus = 0x30000;  // + the status byte

// How long the kernel lets one command run. Saving new firmware takes a drive seconds, not
// minutes; a drive that does not answer in ten minutes will not answer.
inline constexpr unsigned kSgTimeoutMs = 10 * 60 * 1000;

// The sense buffer handed to the kernel with every command.
inline constexpr std::size_t kSgSenseBufferBytes = 32;

struct SgCommandResult {
  BackendOutcome outcome;
  // The sense data that came back with the command, as the driver wrote it.
  std::array<std::uint8_t, kSgSenseBufferBytes> senseBytes{};
  std::size_t senseLength = 0;
  int systemError = 0;  // errno of a failed ioctl, 0 otherwise
  std::uint8_t hostStatus = 0;
  std::uint8_t driverStatus = 0;
  // The bytes the device sent with a data-in command: dxfer_len less the residue.
  std::uint32_t transferred = 0;
};

// The kernel may write the whole of a data-in buffer whatever the outcome (a refused command's
// comes back zeroed); `transferred` says how many bytes the device sent.
SgCommandResult SendSgCommand(platform::linux_host::SgDeviceAccess& access, int fd,
                              const CommandRequest& request);

}  // namespace korvel::transport
