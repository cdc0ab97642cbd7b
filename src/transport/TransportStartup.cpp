#include "transport/TransportStartup.h"

#include <array>
#include <cstring>

#include "platform/NtScsiRecords.h"
#include "transport/RegistryScan.h"

namespace korvel::transport {

using namespace platform;

namespace {

constexpr DWORD kReplyBufferSize = 4096;
constexpr DWORD kOsVersionInfoSize = 148;
constexpr int kFirstDriveIndex = 2;  // C: (A: and B: are never CD-ROM drives here)
constexpr int kLastDriveIndex = 25;  // Z:
// An address the host gave no letter: drive C, as DriveLetterOf answers on Windows NT.
constexpr std::int32_t kHostDefaultDriveIndex = 2;
// Where the ASPI support value keeps its status byte (SS_COMP sets the lowest bit).
constexpr std::int32_t kAspiCompleted = 0x100;
constexpr std::int32_t kAdapterCountMask = 0xFF;

HANDLE OpenDevice(DeviceIo& io, const char* name) {
  return io.CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0);
}

// A reopened enumeration replaces the handles of an earlier one; they would otherwise stay open
// with nothing referring to them.
void CloseEarlierHandles(DeviceIo& io, TransportState& state) {
  for (HANDLE& handle : state.DriveHandleTable) {
    if (handle != INVALID_HANDLE_VALUE) io.CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
  }
  for (HANDLE& handle : state.PortHandleTable) {
    if (handle != INVALID_HANDLE_VALUE) io.CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
  }
}

// Records one CD-ROM drive letter; false when the drive cannot be used (its handle does not
// open, its address cannot be asked, or the address has no slot in the tables). Only drives on
// bus 0 of their port are kept: the scan's inquiry-data search reads bus 0 alone, and the tables
// have no room for the bus, so a drive with the same target ID on another bus would take over
// the address the scan showed for the drive on bus 0.
bool RecordDrive(DeviceIo& io, TransportState& state, int driveIndex, int found) {
  char deviceName[] = "\\\\.\\C:";
  deviceName[4] = static_cast<char>('A' + driveIndex);
  HANDLE handle = OpenDevice(io, deviceName);
  if (handle == INVALID_HANDLE_VALUE) return false;

  std::array<BYTE, kReplyBufferSize> reply{};
  DWORD returned = 0;
  SCSI_ADDRESS address;
  std::optional<int> slot;
  if (io.DeviceIoControl(handle, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, reply.data(), kReplyBufferSize,
                         &returned)) {
    std::memcpy(&address, reply.data(), sizeof address);
    if (address.PathId == 0) slot = SlotOf(address.PortNumber, address.TargetId);
  }
  if (!slot) {
    io.CloseHandle(handle);
    return false;
  }
  state.DriveHandleTable[found] = handle;
  state.TargetHandleIndex[*slot] = found;
  state.DriveLetterMap[*slot] = driveIndex;
  return true;
}

// Opens port `port` and keeps it when it reports at least one bus.
bool OpenPort(DeviceIo& io, TransportState& state, int port) {
  char portName[] = "\\\\.\\SCSI0:";
  portName[8] = static_cast<char>('0' + port);
  HANDLE handle = OpenDevice(io, portName);
  std::array<BYTE, kReplyBufferSize> reply{};
  if (handle != INVALID_HANDLE_VALUE) {
    DWORD returned = 0;
    io.DeviceIoControl(handle, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, reply.data(),
                       kReplyBufferSize, &returned);
  }
  if (reply[offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses)] == 0) {
    if (handle != INVALID_HANDLE_VALUE) io.CloseHandle(handle);
    return false;
  }
  state.PortHandleTable[port] = handle;
  return true;
}

std::int32_t FallBackToHost(ScsiTransport& transport, HostAdapterSource* host, std::int32_t value) {
  TransportState& state = transport.state();
  if ((value & kAdapterCountMask) != 0 || state.PassThroughMode || host == nullptr) return value;
  const int mapped = host->MapAdapters();
  if (mapped <= 0) return value;
  transport.SetHostBackend(host->MakeBackend());
  state.HostAdapterCount = static_cast<std::uint32_t>(mapped);
  // The host's letters take the place of the map that Windows NT would build on first use; an
  // address without one keeps drive C, the default of that map.
  for (int slot = 0; slot < kAddressSlots; ++slot) {
    const std::int32_t index =
        host->DriveIndexOf(static_cast<std::uint8_t>(slot / kTargetsPerAdapter),
                           static_cast<std::uint8_t>(slot % kTargetsPerAdapter));
    state.DriveLetterMap[slot] = index >= 0 ? index : kHostDefaultDriveIndex;
  }
  state.LetterMapBuilt = true;
  return mapped;
}

}  // namespace

std::int32_t EnumeratePassThrough(ScsiTransport& transport) {
  DeviceIo& io = transport.platform().deviceIo;
  TransportState& state = transport.state();
  CloseEarlierHandles(io, state);
  state.DriveLetterMap.fill(-1);
  state.TargetHandleIndex.fill(-1);

  int found = 0;
  char rootPath[] = "A:\\";
  for (int k = kFirstDriveIndex; k <= kLastDriveIndex; ++k) {
    rootPath[0] = static_cast<char>('A' + k);
    if (io.GetDriveTypeA(rootPath) != DRIVE_CDROM) continue;
    if (RecordDrive(io, state, k, found)) ++found;
  }
  if (found == 0) return 0;

  // Ports from 8 up would address adapters that have no slot in the tables: their drives could
  // be listed but never reached, so the search stops before them.
  int ports = 0;
  while (ports < kMaxAdapters && OpenPort(io, state, ports)) ++ports;
  state.PassThroughMode = true;
  return ports;
}

std::int32_t StartTransport(ScsiTransport& transport, HostAdapterSource* host) {
  Kernel& kernel = transport.platform().kernel;
  TransportState& state = transport.state();

  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = kOsVersionInfoSize;
  kernel.GetVersionExA(version);
  state.WindowsNtFlag = version.dwPlatformId == VER_PLATFORM_WIN32_NT;

  HMODULE library = kernel.LoadLibraryA("WNASPI32.DLL");
  if (library == 0) return FallBackToHost(transport, host, EnumeratePassThrough(transport));
  FarProc supportInfo = kernel.GetProcAddress(library, "GetASPI32SupportInfo");
  FarProc sendCommand = kernel.GetProcAddress(library, "SendASPI32Command");
  if (!supportInfo || !sendCommand) {
    kernel.FreeLibrary(library);
    return FallBackToHost(transport, host, EnumeratePassThrough(transport));
  }
  state.aspiLibrary = library;
  state.GetASPI32SupportInfo = std::move(supportInfo);
  state.SendASPI32Command = std::move(sendCommand);

  auto value = static_cast<std::int32_t>(state.GetASPI32SupportInfo(nullptr));
  if ((value & kAspiCompleted) == 0) value = EnumeratePassThrough(transport);
  if ((value & kAdapterCountMask) == 0) value = EnumeratePassThrough(transport);
  ScanConfigManagerEnum(transport);
  state.HostAdapterCount = static_cast<std::uint32_t>(value & kAdapterCountMask);
  return FallBackToHost(transport, host, value);
}

std::int32_t StopTransport(ScsiTransport& transport) {
  TransportState& state = transport.state();
  if (state.aspiLibrary != 0) {
    transport.platform().kernel.FreeLibrary(state.aspiLibrary);
    state.aspiLibrary = 0;
    // The entries pointed into the released library; an ASPI command after this is refused by
    // the back end instead of calling into nothing.
    state.GetASPI32SupportInfo = nullptr;
    state.SendASPI32Command = nullptr;
  }
  return 0;
}

}  // namespace korvel::transport
