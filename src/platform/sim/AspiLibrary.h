// The ASPI for Win32 library of the simulated PC: GetASPI32SupportInfo and SendASPI32Command
// over the emulated buses, with request buffers reached through the 32-bit address space.
#pragma once

#include <functional>
#include <memory>
#include <span>

#include "platform/Address32.h"
#include "platform/AspiRecords.h"
#include "platform/sim/CompletionThread.h"
#include "platform/sim/EmulatedBus.h"
#include "platform/sim/EventTable.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

// SRB_HaStat after a target that never answered selection.
inline constexpr BYTE HASTAT_SEL_TO = 0x11;

class AspiLibrary {
 public:
  // Signals the event of a request that asked for SRB_EVENT_NOTIFY.
  using SignalEvent = std::function<void(HANDLE event)>;

  AspiLibrary(const Scenario& scenario, EmulatedBus& bus, EventTable& events,
              AddressSpace32& memory);
  // The same library outside the simulated PC (a real DLL), signalling the caller's own events.
  AspiLibrary(const Scenario& scenario, EmulatedBus& bus, SignalEvent signal,
              AddressSpace32& memory);

  DWORD GetSupportInfo() const;
  // `request` is the caller's request block; its first byte tells which kind.
  DWORD SendCommand(void* request);

 private:
  struct Transfer {
    BusDevice* device;
    emulator::Direction direction;
    std::span<std::uint8_t> data;
  };
  DWORD HostAdapterInquiry(SRB_HAInquiry& request);
  DWORD ExecuteScsiCommand(SRB_ExecSCSICmd& request);
  // Refusals end the request at once; nothing is sent to any device.
  DWORD Refuse(SRB_ExecSCSICmd& request, BYTE status);
  void Complete(SRB_ExecSCSICmd& request, const Transfer& transfer);

  const Scenario& scenario_;
  EmulatedBus& bus_;
  SignalEvent signal_;
  AddressSpace32& memory_;
  // Last member: its destructor ends the queued requests while everything above still lives.
  CompletionThread completions_;
};

}  // namespace korvel::platform::sim
