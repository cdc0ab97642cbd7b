#include "transport/AspiBackend.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/AspiRecords.h"
#include "transport/CdbLength.h"

namespace korvel::transport {

using namespace platform;

BackendOutcome AspiBackend::Execute(const CommandRequest& request) {
  // Without the library's entry there is nobody to send to; the caller gets the library's own
  // "not initialised" answer rather than a call through an empty entry.
  if (!state_.SendASPI32Command) return BackendOutcome{SS_FAILED_INIT, std::nullopt};

  Kernel& kernel = platform_.kernel;
  HANDLE event = kernel.CreateEventA(/*manualReset=*/true, /*initialState=*/false);
  if (event != 0) kernel.ResetEvent(event);

  SRB_ExecSCSICmd srb;
  std::memset(&srb, 0, sizeof srb);
  MappedBuffer data(platform_.memory, request.buffer, request.length);
  srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
  srb.SRB_Status = SS_ERR;
  srb.SRB_HaId = request.adapter;
  if (event != 0) {
    srb.SRB_Flags =
        static_cast<BYTE>((request.dataOut ? SRB_DIR_OUT : SRB_DIR_IN) | SRB_EVENT_NOTIFY);
  }
  srb.SRB_Target = request.target;
  srb.SRB_Lun = 0;
  srb.SRB_BufLen = request.length;
  srb.SRB_BufPointer = data.address();
  srb.SRB_SenseLen = SENSE_LEN;
  srb.SRB_CDBLen = request.cdbLength;
  srb.SRB_PostProc = event;
  std::memcpy(srb.CDBByte, request.cdb, request.cdbLength);

  if (event != 0) {
    DWORD sent = state_.SendASPI32Command(&srb);
    if (sent == SS_PENDING) {
      if (kernel.WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0) kernel.ResetEvent(event);
    }
    kernel.CloseHandle(event);
  } else {
    state_.SendASPI32Command(&srb);
    // The library completes the request on a thread of its own and writes SRB_Status last.
    std::atomic_ref<BYTE> status(srb.SRB_Status);
    while (status.load() == SS_PENDING) {
    }
  }

  BackendOutcome outcome;
  outcome.status = std::atomic_ref<BYTE>(srb.SRB_Status).load();
  // A library that says "completed" while the adapter or the target reported a problem must not
  // make the command read as success: the target's status is the final word.
  if (outcome.status == SS_COMP && (srb.SRB_HaStat != 0 || srb.SRB_TargStat != 0)) {
    outcome.status = SS_ERR;
  }
  if (outcome.status != SS_COMP) {
    std::array<std::uint8_t, kKeptSenseBytes> sense{};
    std::copy_n(srb.SenseArea, kKeptSenseBytes, sense.begin());
    outcome.sense = sense;
  }
  return outcome;
}

}  // namespace korvel::transport
