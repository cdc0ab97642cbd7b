// The 32-bit address space of the PC the system runs on. Request records hold buffer addresses
// in 32-bit fields (their published layouts); a 64-bit host lends each buffer a 32-bit address
// for the time of one request, as a thunking layer between the two worlds would.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::platform {

using Address32 = std::uint32_t;

class AddressSpace32 {
 public:
  virtual ~AddressSpace32() = default;
  // Lends `size` bytes at `buffer` a 32-bit address; a null buffer maps to 0.
  virtual Address32 Map(void* buffer, std::size_t size) = 0;
  virtual void Unmap(Address32 address) = 0;
  // The host memory behind an address lent by Map, or null when [address, address + size)
  // is not inside one lent range.
  virtual void* Resolve(Address32 address, std::size_t size) = 0;
};

// Lends a buffer an address for the lifetime of the object.
class MappedBuffer {
 public:
  MappedBuffer(AddressSpace32& space, void* buffer, std::size_t size)
      : space_(space), address_(space.Map(buffer, size)) {}
  ~MappedBuffer() {
    if (address_ != 0) space_.Unmap(address_);
  }
  MappedBuffer(const MappedBuffer&) = delete;
  MappedBuffer& operator=(const MappedBuffer&) = delete;
  Address32 address() const { return address_; }

 private:
  AddressSpace32& space_;
  Address32 address_;
};

}  // namespace korvel::platform
