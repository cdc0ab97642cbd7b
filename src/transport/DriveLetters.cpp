#include "transport/DriveLetters.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "platform/NtScsiRecords.h"
#include "transport/HostAdapterInquiry.h"
#include "transport/RegistryDeviceKey.h"

namespace korvel::transport {

using namespace platform;

namespace {

constexpr std::int32_t kDefaultDriveIndex = 2;  // C:
constexpr std::int32_t kNoDrive = -1;
constexpr int kPairedPorts = 16;
constexpr int kFirstDriveIndex = 2;
constexpr int kLastDriveIndex = 25;
constexpr DWORD kReplyBufferSize = 4096;

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringLetterCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

// The adapter paired with each port 0..15, -1 where none is.
std::array<int, kPairedPorts> PairAdaptersWithPorts(ScsiTransport& transport) {
  std::array<int, kPairedPorts> adapterOfPort;
  adapterOfPort.fill(-1);
  std::array<std::string, kPairedPorts> driverOfPort;
  for (int port = 0; port < kPairedPorts; ++port) {
    driverOfPort[port] = ScsiPortDriverName(transport, port);
  }
  // Adapters above 7 have no slot in the map, so pairing them could only take a port away.
  const int adapters =
      static_cast<int>(std::min<std::uint32_t>(transport.state().HostAdapterCount, kMaxAdapters));
  for (int adapter = 0; adapter < adapters; ++adapter) {
    HostAdapterIdentity identity;
    HostAdapterInquiry(transport, static_cast<std::uint8_t>(adapter), identity);
    const std::string identifier = identity.identifier;
    for (int port = 0; port < kPairedPorts; ++port) {
      if (adapterOfPort[port] == -1 && EqualIgnoringLetterCase(identifier, driverOfPort[port])) {
        adapterOfPort[port] = adapter;
        break;
      }
    }
  }
  return adapterOfPort;
}

}  // namespace

std::int32_t BuildDriveLetterMap(ScsiTransport& transport) {
  TransportState& state = transport.state();
  DeviceIo& io = transport.platform().deviceIo;
  state.DriveLetterMap.fill(kDefaultDriveIndex);
  const std::array<int, kPairedPorts> adapterOfPort = PairAdaptersWithPorts(transport);

  char rootPath[] = "A:\\";
  char deviceName[] = "\\\\.\\C:";
  for (int k = kFirstDriveIndex; k <= kLastDriveIndex; ++k) {
    rootPath[0] = static_cast<char>('A' + k);
    if (io.GetDriveTypeA(rootPath) != DRIVE_CDROM) continue;
    deviceName[4] = static_cast<char>('A' + k);
    HANDLE handle =
        io.CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, 0);
    // A drive that cannot be opened or asked for its address is left out rather than taken for
    // port 0, target 0.
    if (handle == INVALID_HANDLE_VALUE) continue;
    std::array<BYTE, kReplyBufferSize> reply{};
    DWORD returned = 0;
    const bool answered = io.DeviceIoControl(handle, IOCTL_SCSI_GET_ADDRESS, nullptr, 0,
                                             reply.data(), kReplyBufferSize, &returned);
    io.CloseHandle(handle);
    if (!answered) continue;
    SCSI_ADDRESS address;
    std::memcpy(&address, reply.data(), sizeof address);
    if (address.PortNumber >= kPairedPorts) continue;
    const int adapter = adapterOfPort[address.PortNumber];
    if (adapter < 0) continue;
    std::optional<int> slot = SlotOf(static_cast<std::uint8_t>(adapter), address.TargetId);
    if (slot) state.DriveLetterMap[*slot] = k;
  }
  return 0;
}

std::int32_t DriveLetterOf(ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target) {
  TransportState& state = transport.state();
  if (state.WindowsNtFlag) {
    if (!state.LetterMapBuilt) {
      state.LetterMapBuilt = true;
      if (!state.PassThroughMode) BuildDriveLetterMap(transport);
    }
    std::optional<int> slot = SlotOf(adapter, target);
    if (!slot) return state.PassThroughMode ? kNoDrive : kDefaultDriveIndex;
    return state.DriveLetterMap[*slot];
  }

  std::optional<std::string> key = InquireDeviceKey(transport, adapter, target);
  if (key) {
    for (int i = 0; i < state.RegistryDriveCount && i < kMaxRegistryDrives; ++i) {
      const RegistryDriveEntry& entry = state.RegistryDriveTable[i];
      if (*key == entry.deviceKey && entry.adapter == adapter && entry.target == target) {
        return entry.driveIndex;
      }
    }
  }
  return kDefaultDriveIndex;
}

}  // namespace korvel::transport
