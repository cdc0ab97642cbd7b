// The description of one emulated device, as read from a scenario.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "emulator/disc/Disc.h"
#include "emulator/drive/FaultRule.h"
#include "emulator/drive/SpeedModel.h"

namespace korvel::emulator {

// A Korvel drive takes the maker's whole command set; a device of another maker answers only
// the commands that every SCSI device answers.
enum class Maker { Korvel, Other };

// Bytes that READ DRIVE MEMORY finds at `address`.
struct MemoryRegion {
  std::uint32_t address = 0;
  std::vector<std::uint8_t> bytes;
};

inline constexpr std::uint64_t kDefaultRestartMs = 2500;

struct DeviceConfig {
  // INQUIRY fields exactly as the device returns them (blank-padded, zero bytes allowed).
  std::array<char, 8> vendor{};
  std::array<char, 16> product{};
  std::array<char, 4> revision{};
  std::uint8_t peripheral = 0x05;  // byte 0 of the INQUIRY data: CD-ROM device
  Maker maker = Maker::Korvel;
  std::vector<FaultRule> faults;
  // Every command waits this long on the device's clock before it is answered.
  std::uint64_t delayMs = 0;
  std::vector<MemoryRegion> memory;
  // Initial mode pages by page code, each a whole page: code, page length, parameters. Pages
  // not named here keep the drive's defaults.
  std::map<std::uint8_t, std::vector<std::uint8_t>> modePages;
  std::optional<Disc> disc;
  // The drive starts with its tray open (the disc, if any, lying on it).
  bool trayOpen = false;
  // What VENDOR READ 0xF1 reads, mapped as `memory` is for READ DRIVE MEMORY.
  std::vector<MemoryRegion> vendorMemory;
  // The 2 bytes that VENDOR STATUS 0xDE returns.
  std::array<std::uint8_t, 2> vendorStatus{};
  // How the drive takes a read speed; by product identification when not given.
  std::optional<SpeedFamily> speedFamily;
  // How long the drive stays NOT READY after it has saved new firmware.
  std::uint64_t restartMs = kDefaultRestartMs;
};

}  // namespace korvel::emulator
