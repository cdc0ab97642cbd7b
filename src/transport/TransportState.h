// The tables and flags the transport keeps for the life of the program: the sense store, the
// pass-through handle tables, the drive-letter map, the start-up flags and the ASPI entries.
// One object per program (a context object), made fresh by every test.
#pragma once

#include <array>
#include <cstdint>

#include "platform/Kernel.h"
#include "platform/WinTypes.h"
#include "transport/DeviceAddress.h"

namespace korvel::transport {

// The first 14 bytes of the sense data of the last failed command at an address; bytes 14 and
// 15 of a slot are never written.
using SenseSlot = std::array<std::uint8_t, 16>;
inline constexpr std::size_t kKeptSenseBytes = 14;

inline constexpr int kMaxDriveHandles = 26;
inline constexpr int kMaxPorts = 10;

// One drive of the maker found in the Windows 9x registry.
struct RegistryDriveEntry {
  char deviceKey[25] = {};
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  std::int32_t driveIndex = 0;
};
inline constexpr int kMaxRegistryDrives = 26;

struct TransportState {
  TransportState() {
    TargetHandleIndex.fill(-1);
    PortHandleTable.fill(platform::INVALID_HANDLE_VALUE);
    DriveHandleTable.fill(platform::INVALID_HANDLE_VALUE);
  }

  std::array<SenseSlot, kAddressSlots> SenseTable{};

  std::array<platform::HANDLE, kMaxDriveHandles> DriveHandleTable{};
  std::array<std::int32_t, kAddressSlots> TargetHandleIndex{};
  std::array<platform::HANDLE, kMaxPorts> PortHandleTable{};
  std::array<std::int32_t, kAddressSlots> DriveLetterMap{};

  bool PassThroughMode = false;
  bool WindowsNtFlag = false;
  bool LetterMapBuilt = false;
  std::uint32_t HostAdapterCount = 0;

  platform::HMODULE aspiLibrary = 0;
  platform::FarProc GetASPI32SupportInfo;
  platform::FarProc SendASPI32Command;

  std::array<RegistryDriveEntry, kMaxRegistryDrives> RegistryDriveTable{};
  std::int32_t RegistryDriveCount = 0;
};

}  // namespace korvel::transport
