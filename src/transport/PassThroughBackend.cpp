#include "transport/PassThroughBackend.h"

#include <algorithm>
#include <cstring>

#include "platform/NtScsiRecords.h"

namespace korvel::transport {

using namespace platform;

namespace {

// A failed request must never read as success: neither the "success" status 1 nor the GOOD
// status 0 (which the caller turns into 1) may come from an error code. Such codes are reported
// as a general failure of the device.
constexpr DWORD ERROR_GEN_FAILURE = 31;

std::int32_t StatusOfFailedRequest(DWORD error) {
  if (error == 0 || error == 1) return static_cast<std::int32_t>(ERROR_GEN_FAILURE);
  return static_cast<std::int32_t>(error);
}

// Status byte 1 is reserved: no target should send it, but a drive or a port driver can. Passed
// through unchanged it would read as success once the request had failed on the device.
std::int32_t StatusOfTarget(std::uint8_t scsiStatus) {
  if (scsiStatus == 1) return kPassThroughStatusReservedScsiStatus;
  return scsiStatus;
}

}  // namespace

BackendOutcome PassThroughBackend::Execute(const CommandRequest& request) {
  std::int32_t index = state_.TargetHandleIndex[request.adapter * 16 + request.target];
  if (index < 0 || index >= kMaxDriveHandles) return BackendOutcome{kStatusNoDriveHandle, {}};

  PassThroughRecord record;
  std::memset(&record, 0, sizeof record);
  MappedBuffer data(platform_.memory, request.buffer, request.length);
  record.spt.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
  record.spt.PathId = 0;
  record.spt.TargetId = 1;
  record.spt.Lun = 0;
  record.spt.CdbLength = request.cdbLength;
  record.spt.SenseInfoLength = sizeof record.SenseBuf;
  record.spt.DataIn = request.dataOut ? SCSI_IOCTL_DATA_OUT : SCSI_IOCTL_DATA_IN;
  record.spt.DataTransferLength = request.length;
  record.spt.TimeOutValue = kPassThroughTimeoutSeconds;
  record.spt.DataBuffer = data.address();
  record.spt.SenseInfoOffset = offsetof(PassThroughRecord, SenseBuf);
  std::memcpy(record.spt.Cdb, request.cdb, request.cdbLength);

  DWORD returned = 0;
  BOOL ok = platform_.deviceIo.DeviceIoControl(state_.DriveHandleTable[index],
                                               IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                               sizeof record, &record, sizeof record, &returned);
  std::int32_t status = ok ? StatusOfTarget(record.spt.ScsiStatus)
                           : StatusOfFailedRequest(platform_.deviceIo.GetLastError());

  BackendOutcome outcome;
  if (status != 0) {
    std::array<std::uint8_t, kKeptSenseBytes> sense{};
    std::copy_n(record.SenseBuf, kKeptSenseBytes, sense.begin());
    outcome.sense = sense;
  }
  outcome.status = status == 0 ? 1 : status;
  return outcome;
}

}  // namespace korvel::transport
