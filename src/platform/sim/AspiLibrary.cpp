#include "platform/sim/AspiLibrary.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <utility>

namespace korvel::platform::sim {
namespace {

// The largest transfer the simulated host adapters announce in HA_Unique.
constexpr DWORD kMaxTransfer = 0x00010000;

// Offsets inside HA_Unique.
constexpr std::size_t kUniqueMaxTargets = 3;
constexpr std::size_t kUniqueMaxTransfer = 4;

// With neither direction flag the caller leaves the data phase to the bus, which follows what
// the target asks for; these are the opcodes whose targets ask to receive data.
constexpr std::array<std::uint8_t, 16> kTargetReceivesData{
    0x04, 0x0A, 0x15, 0x1D, 0x2A, 0x2E, 0x3B, 0x3F, 0x54, 0x55, 0x5D, 0xAA, 0xAE, 0xE2, 0xF0, 0xFD};

emulator::Direction DirectionOf(BYTE flags, BYTE opcode) {
  if (flags & SRB_DIR_OUT) return emulator::Direction::Out;
  if (flags & SRB_DIR_IN) return emulator::Direction::In;
  const bool out = std::find(kTargetReceivesData.begin(), kTargetReceivesData.end(), opcode) !=
                   kTargetReceivesData.end();
  return out ? emulator::Direction::Out : emulator::Direction::In;
}

void CopyName(BYTE (&field)[16], const std::string& name) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, name.data(), std::min(name.size(), sizeof field));
}

// The status byte is written last, with release order, because a polling caller reads it
// from another thread to learn that everything else is in place.
void PublishStatus(BYTE& field, BYTE status) {
  std::atomic_ref<BYTE>(field).store(status, std::memory_order_release);
}

}  // namespace

AspiLibrary::AspiLibrary(const Scenario& scenario, EmulatedBus& bus, EventTable& events,
                         AddressSpace32& memory)
    : AspiLibrary(
          scenario, bus, [&events](HANDLE event) { events.Set(event); }, memory) {}

AspiLibrary::AspiLibrary(const Scenario& scenario, EmulatedBus& bus, SignalEvent signal,
                         AddressSpace32& memory)
    : scenario_(scenario), bus_(bus), signal_(std::move(signal)), memory_(memory) {}

DWORD AspiLibrary::GetSupportInfo() const {
  if (scenario_.aspi.supportInfo) return *scenario_.aspi.supportInfo;
  if (scenario_.adapters.empty()) return DWORD{SS_NO_ADAPTERS} << 8;
  return (DWORD{SS_COMP} << 8) | static_cast<BYTE>(scenario_.adapters.size());
}

DWORD AspiLibrary::SendCommand(void* request) {
  if (request == nullptr) return SS_INVALID_SRB;
  auto* header = static_cast<BYTE*>(request);
  switch (header[0]) {
    case SC_HA_INQUIRY:
      return HostAdapterInquiry(*static_cast<SRB_HAInquiry*>(request));
    case SC_EXEC_SCSI_CMD:
      return ExecuteScsiCommand(*static_cast<SRB_ExecSCSICmd*>(request));
    default:
      PublishStatus(header[1], SS_INVALID_CMD);
      return SS_INVALID_CMD;
  }
}

DWORD AspiLibrary::HostAdapterInquiry(SRB_HAInquiry& request) {
  request.HA_Count = static_cast<BYTE>(scenario_.adapters.size());
  const AdapterSettings* adapter = bus_.AdapterById(request.SRB_HaId);
  if (adapter == nullptr) {
    PublishStatus(request.SRB_Status, SS_INVALID_HA);
    return SS_INVALID_HA;
  }
  request.HA_SCSI_ID = adapter->hostId;
  CopyName(request.HA_ManagerId, adapter->manager);
  CopyName(request.HA_Identifier, adapter->driver);
  std::memset(request.HA_Unique, 0, sizeof request.HA_Unique);
  request.HA_Unique[kUniqueMaxTargets] = 16;
  for (std::size_t i = 0; i < 4; ++i) {  // a DWORD in the PC's own (little-endian) order
    request.HA_Unique[kUniqueMaxTransfer + i] = static_cast<BYTE>(kMaxTransfer >> (8 * i));
  }
  PublishStatus(request.SRB_Status, SS_COMP);
  return SS_COMP;
}

DWORD AspiLibrary::Refuse(SRB_ExecSCSICmd& request, BYTE status) {
  PublishStatus(request.SRB_Status, status);
  return status;
}

DWORD AspiLibrary::ExecuteScsiCommand(SRB_ExecSCSICmd& request) {
  if (bus_.AdapterById(request.SRB_HaId) == nullptr) return Refuse(request, SS_INVALID_HA);
  BusDevice* device = bus_.Find(request.SRB_HaId, request.SRB_Target);
  if (device == nullptr || request.SRB_Lun >= device->target->luns) {
    return Refuse(request, SS_NO_DEVICE);
  }
  if (request.SRB_CDBLen == 0 || request.SRB_CDBLen > sizeof request.CDBByte) {
    return Refuse(request, SS_INVALID_SRB);
  }
  Transfer transfer{device, DirectionOf(request.SRB_Flags, request.CDBByte[0]), {}};
  if ((request.SRB_Flags & SRB_DIR_IN) && (request.SRB_Flags & SRB_DIR_OUT)) {
    transfer.data = {};  // both flags: a command without data phase
  } else if (request.SRB_BufLen > 0) {
    if (request.SRB_BufPointer == 0) return Refuse(request, SS_INVALID_SRB);
    void* data = memory_.Resolve(request.SRB_BufPointer, request.SRB_BufLen);
    if (data == nullptr) {
      // An address inside a lent buffer with a length past its end is a buffer too big for
      // the request; an address that was never lent is a malformed request.
      const bool known = memory_.Resolve(request.SRB_BufPointer, 1) != nullptr;
      return Refuse(request, known ? SS_BUFFER_TOO_BIG : SS_INVALID_SRB);
    }
    transfer.data = {static_cast<std::uint8_t*>(data), request.SRB_BufLen};
  }

  PublishStatus(request.SRB_Status, SS_PENDING);
  if (scenario_.aspi.completion == AspiCompletion::Immediate) {
    Complete(request, transfer);
    return request.SRB_Status;
  }
  completions_.Post([this, &request, transfer] { Complete(request, transfer); });
  return SS_PENDING;
}

void AspiLibrary::Complete(SRB_ExecSCSICmd& request, const Transfer& transfer) {
  emulator::CommandResult result = bus_.Execute(
      *transfer.device, std::span<const std::uint8_t>(request.CDBByte, request.SRB_CDBLen),
      transfer.direction, transfer.data);
  BYTE status = SS_COMP;
  if (!result.answered) {
    request.SRB_HaStat = HASTAT_SEL_TO;
    request.SRB_TargStat = 0;
    status = SS_ERR;
  } else {
    request.SRB_HaStat = 0;
    request.SRB_TargStat = result.status;
    if (result.status == emulator::kStatusCheckCondition) {
      // The record's sense area ends the block; never write past it whatever SRB_SenseLen says.
      const std::size_t count = std::min<std::size_t>(
          {request.SRB_SenseLen, result.sense.size(), sizeof request.SenseArea});
      std::memcpy(request.SenseArea, result.sense.data(), count);
    }
    if (result.status != emulator::kStatusGood) status = SS_ERR;
  }
  const bool notify = (request.SRB_Flags & SRB_EVENT_NOTIFY) != 0;
  const HANDLE event = request.SRB_PostProc;
  PublishStatus(request.SRB_Status, status);
  // After the status is out the caller may free the block: only the copies above are read.
  if (notify) signal_(event);
}

}  // namespace korvel::platform::sim
