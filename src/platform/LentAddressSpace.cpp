#include "platform/LentAddressSpace.h"

#include <stdexcept>

namespace korvel::platform {
namespace {

// Addresses are handed out on 64 KiB boundaries above the first 64 KiB, like user-mode
// allocations of a 32-bit process, so that no valid buffer ever has address 0.
constexpr Address32 kGranularity = 0x10000;
constexpr Address32 kFirst = 0x00010000;
constexpr Address32 kLimit = 0x7FFF0000;

Address32 RoundUp(std::size_t size) {
  std::size_t rounded = (size + kGranularity - 1) / kGranularity * kGranularity;
  return static_cast<Address32>(rounded == 0 ? kGranularity : rounded);
}

}  // namespace

Address32 LentAddressSpace::Map(void* buffer, std::size_t size) {
  if (buffer == nullptr) return 0;
  if (size > kLimit - kFirst) throw std::length_error("buffer too large for a 32-bit address");
  std::lock_guard lock(mutex_);
  Address32 span = RoundUp(size);
  // Find the first gap of `span` bytes starting at next_, wrapping once.
  for (int pass = 0; pass < 2; ++pass) {
    Address32 candidate = next_;
    for (auto it = ranges_.lower_bound(candidate); candidate <= kLimit - span;) {
      if (it == ranges_.end() || candidate + span <= it->first) {
        ranges_[candidate] = Range{buffer, size};
        next_ = candidate + span;
        return candidate;
      }
      candidate = it->first + RoundUp(it->second.size);
      ++it;
    }
    next_ = kFirst;
  }
  throw std::length_error("32-bit address space exhausted");
}

void LentAddressSpace::Unmap(Address32 address) {
  std::lock_guard lock(mutex_);
  ranges_.erase(address);
}

void* LentAddressSpace::Resolve(Address32 address, std::size_t size) {
  std::lock_guard lock(mutex_);
  auto it = ranges_.upper_bound(address);
  if (it == ranges_.begin()) return nullptr;
  --it;
  std::size_t offset = address - it->first;
  if (offset > it->second.size || size > it->second.size - offset) return nullptr;
  return static_cast<unsigned char*>(it->second.buffer) + offset;
}

}  // namespace korvel::platform
