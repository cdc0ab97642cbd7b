// A 32-bit address space for a 64-bit host: each mapped buffer is lent a range of 32-bit
// addresses until it is unmapped. Safe to use from the simulated PC's completion threads.
#pragma once

#include <map>
#include <mutex>

#include "platform/Address32.h"

namespace korvel::platform {

class LentAddressSpace : public AddressSpace32 {
 public:
  Address32 Map(void* buffer, std::size_t size) override;
  void Unmap(Address32 address) override;
  void* Resolve(Address32 address, std::size_t size) override;

 private:
  struct Range {
    void* buffer;
    std::size_t size;
  };
  std::mutex mutex_;
  std::map<Address32, Range> ranges_;
  Address32 next_ = 0x00010000;
};

}  // namespace korvel::platform
