// The part of a drive's memory that READ DRIVE MEMORY can see: the regions that the scenario
// maps, nothing else.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "emulator/DeviceConfig.h"

namespace korvel::emulator {

class DriveMemory {
 public:
  // Regions must not overlap (the scenario parser refuses that).
  explicit DriveMemory(std::vector<MemoryRegion> regions);

  // True when every byte of [address, address + length) lies in a mapped region.
  bool Covers(std::uint64_t address, std::uint64_t length) const;
  // Copies the bytes at `address` into `out`; the range must be covered.
  void Read(std::uint64_t address, std::span<std::uint8_t> out) const;

 private:
  const MemoryRegion* RegionHolding(std::uint64_t address) const;
  std::vector<MemoryRegion> regions_;
};

}  // namespace korvel::emulator
