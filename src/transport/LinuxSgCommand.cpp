#include "transport/LinuxSgCommand.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "transport/TransportState.h"

namespace korvel::transport {

namespace {

constexpr std::uint8_t kScsiGood = 0x00;
// driver_status: the low nibble is the driver's verdict; DRIVER_SENSE only says that sense
// data came with the status and is no failure of its own.
constexpr std::uint8_t kDriverVerdictMask = 0x0F;
constexpr std::uint8_t kDriverOk = 0x00;
constexpr std::uint8_t kDriverSense = 0x08;

int DirectionOf(const CommandRequest& request) {
  if (request.length == 0) return SG_DXFER_NONE;
  return request.dataOut ? SG_DXFER_TO_DEV : SG_DXFER_FROM_DEV;
}

}  // namespace

SgCommandResult SendSgCommand(platform::linux_host::SgDeviceAccess& access, int fd,
                              const CommandRequest& request) {
  std::array<unsigned char, 16> cdb{};
  std::copy_n(request.cdb, request.cdbLength, cdb.begin());
  std::array<unsigned char, kSgSenseBufferBytes> sense{};

  sg_io_hdr_t header;
  std::memset(&header, 0, sizeof header);
  header.interface_id = 'S';
  header.dxfer_direction = DirectionOf(request);
  header.cmd_len = request.cdbLength;
  header.cmdp = cdb.data();
  header.mx_sb_len = static_cast<unsigned char>(sense.size());
  header.sbp = sense.data();
  header.dxfer_len = request.length;
  header.dxferp = request.length == 0 ? nullptr : request.buffer;
  header.timeout = kSgTimeoutMs;

  SgCommandResult result;
  int error = 0;
  const int sent = access.SendSgIo(fd, header, error);
  std::int32_t status;
  if (sent != 0) {
    result.systemError = error;
    status = kLinuxStatusSystemError + error;
  } else {
    result.hostStatus = static_cast<std::uint8_t>(header.host_status);
    result.driverStatus = static_cast<std::uint8_t>(header.driver_status);
    result.senseLength = std::min<std::size_t>(header.sb_len_wr, sense.size());
    std::copy_n(sense.begin(), result.senseLength, result.senseBytes.begin());
    const std::uint8_t verdict = result.driverStatus & kDriverVerdictMask;
    if (result.hostStatus != 0 || (verdict != kDriverOk && verdict != kDriverSense)) {
      status = kLinuxStatusHostError + (result.hostStatus << 8) + result.driverStatus;
    } else if (header.status == kScsiGood) {
      status = 1;
    } else if (header.status == 1) {
      // Not a status any target sends; it must not pass for success.
      status = kLinuxStatusUndefinedScsiStatus + 1;
    } else {
      status = header.status;
    }
    if (header.dxfer_direction == SG_DXFER_FROM_DEV) {
      // resid is what the device left out; a driver may report it larger than the transfer or
      // below zero, and neither may count more or fewer bytes than were asked for.
      const std::int64_t sent = std::int64_t{request.length} - header.resid;
      result.transferred =
          static_cast<std::uint32_t>(std::clamp<std::int64_t>(sent, 0, request.length));
    }
  }

  result.outcome.status = status;
  if (status != 1) {
    std::array<std::uint8_t, kKeptSenseBytes> kept{};
    std::copy_n(sense.begin(), kKeptSenseBytes, kept.begin());
    result.outcome.sense = kept;
  }
  return result;
}

}  // namespace korvel::transport
