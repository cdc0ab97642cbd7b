#include "transport/HostAdapterInquiry.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "platform/AspiRecords.h"
#include "platform/NtScsiRecords.h"
#include "transport/DeviceAddress.h"
#include "transport/RegistryKeys.h"

namespace korvel::transport {

using namespace platform;

namespace {

constexpr DWORD kInquiryBufferSize = 4096;
constexpr std::size_t kIdentityField = 16;

void CopyIdentityField(char* out, const BYTE* in) {
  std::memcpy(out, in, kIdentityField);
  out[kIdentityField] = '\0';
}

std::int32_t AspiHostAdapterInquiry(ScsiTransport& transport, std::uint8_t adapter,
                                    HostAdapterIdentity& identity) {
  SRB_HAInquiry srb;
  std::memset(&srb, 0, sizeof srb);
  srb.SRB_Cmd = SC_HA_INQUIRY;
  srb.SRB_HaId = adapter;
  // The request ends inside the call: there is no event to wait for.
  const FarProc& send = transport.state().SendASPI32Command;
  std::int32_t result = send ? static_cast<std::int32_t>(send(&srb)) : SS_FAILED_INIT;
  CopyIdentityField(identity.manager, srb.HA_ManagerId);
  CopyIdentityField(identity.identifier, srb.HA_Identifier);
  std::memcpy(identity.unique, srb.HA_Unique, sizeof identity.unique);
  identity.hostScsiId = srb.HA_SCSI_ID;
  return result;
}

std::int32_t PortHostAdapterInquiry(ScsiTransport& transport, std::uint8_t adapter,
                                    HostAdapterIdentity& identity) {
  std::array<BYTE, kInquiryBufferSize> buffer{};
  if (adapter < kMaxPorts) {
    DWORD returned = 0;
    transport.platform().deviceIo.DeviceIoControl(transport.state().PortHandleTable[adapter],
                                                  IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0,
                                                  buffer.data(), kInquiryBufferSize, &returned);
  }
  identity.hostScsiId =
      buffer[offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + offsetof(SCSI_BUS_DATA, InitiatorBusId)];
  const std::string driver = ScsiPortDriverName(transport, adapter);
  std::snprintf(identity.identifier, sizeof identity.identifier, "%s", driver.c_str());
  std::snprintf(identity.manager, sizeof identity.manager, "%s", "N/A");
  std::memset(identity.unique, 0, sizeof identity.unique);
  return 1;
}

// The identifier as a note can show it: the field comes from a driver.
std::string PrintableIdentifier(const char* identifier) {
  std::string text(identifier);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) c = '?';
  }
  return text;
}

}  // namespace

std::vector<std::string> UnreachableAdapterNotes(ScsiTransport& transport, int reportedCount) {
  std::vector<std::string> notes;
  const char* kind = transport.state().PassThroughMode ? "SCSI port " : "ASPI host adapter ";
  for (int adapter = kMaxAdapters; adapter < reportedCount && adapter <= 0xFF; ++adapter) {
    HostAdapterIdentity identity;
    std::string name;
    if (HostAdapterInquiry(transport, static_cast<std::uint8_t>(adapter), identity) == SS_COMP) {
      name = PrintableIdentifier(identity.identifier);
    }
    notes.push_back(kind + std::to_string(adapter) + (name.empty() ? "" : " (" + name + ")") +
                    ": cannot be reached, only adapters 0 to " + std::to_string(kMaxAdapters - 1) +
                    " can be addressed");
  }
  return notes;
}

std::int32_t HostAdapterInquiry(ScsiTransport& transport, std::uint8_t adapter,
                                HostAdapterIdentity& identity) {
  if (transport.state().PassThroughMode) {
    return PortHostAdapterInquiry(transport, adapter, identity);
  }
  return AspiHostAdapterInquiry(transport, adapter, identity);
}

std::string ScsiPortDriverName(ScsiTransport& transport, int port) {
  char keyName[32];
  std::snprintf(keyName, sizeof keyName, "Scsi Port %1d", port);
  Registry& registry = transport.platform().registry;
  RegistryKeyChain keys(registry, HKEY_LOCAL_MACHINE, {"HARDWARE", "DEVICEMAP", "Scsi", keyName});
  if (!keys.complete()) return "unknown";
  std::optional<std::string> driver = ReadStringValue(registry, keys.leaf(), "Driver");
  return driver ? *driver : "unknown";
}

}  // namespace korvel::transport
