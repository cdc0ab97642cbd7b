// The 32-bit address space of a 32-bit Windows process: every buffer already has a 32-bit
// address, its own, so lending one is the identity and nothing is kept.
#pragma once

#include "platform/Address32.h"
#include "platform/win32/HandleBits.h"

namespace korvel::platform::win32 {

class IdentityAddressSpace : public AddressSpace32 {
 public:
  Address32 Map(void* buffer, std::size_t) override { return HandleBits(buffer); }
  void Unmap(Address32) override {}
  // Any address is the process's own memory; whether it is valid is the caller's affair, as
  // it is for a driver handed a pointer.
  void* Resolve(Address32 address, std::size_t) override { return FromHandleBits<void*>(address); }
};

}  // namespace korvel::platform::win32
