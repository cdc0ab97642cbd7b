#include "emulator/drive/DriveMemory.h"

#include <algorithm>

namespace korvel::emulator {

DriveMemory::DriveMemory(std::vector<MemoryRegion> regions) : regions_(std::move(regions)) {}

const MemoryRegion* DriveMemory::RegionHolding(std::uint64_t address) const {
  for (const MemoryRegion& region : regions_) {
    if (address >= region.address && address < region.address + region.bytes.size()) {
      return &region;
    }
  }
  return nullptr;
}

bool DriveMemory::Covers(std::uint64_t address, std::uint64_t length) const {
  const std::uint64_t end = address + length;
  while (address < end) {
    const MemoryRegion* region = RegionHolding(address);
    if (region == nullptr) return false;
    address = region->address + region->bytes.size();
  }
  return true;
}

void DriveMemory::Read(std::uint64_t address, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const MemoryRegion* region = RegionHolding(address + done);
    if (region == nullptr) return;
    const std::size_t from = address + done - region->address;
    const std::size_t count = std::min(out.size() - done, region->bytes.size() - from);
    std::copy_n(region->bytes.begin() + from, count, out.begin() + done);
    done += count;
  }
}

}  // namespace korvel::emulator
