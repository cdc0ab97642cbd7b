// The shared region of a TCM user device as the kernel lays it out: the mailbox, the command
// ring and the data area. The fields are in the machine's byte order and are moved with memcpy,
// as the region makes no alignment promise to a C++ object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace korvel::tcmu {

// The kernel's header (linux/target_core_user.h) cannot be compiled as C++, so its layout is
// written here once; RingLayoutCheck.c holds every value against the header at build time.
namespace ring_layout {

// The mailbox, at the start of the region.
inline constexpr std::size_t kMailboxSize = 128;
inline constexpr std::size_t kVersion = 0;     // 16 bits
inline constexpr std::size_t kFlags = 2;       // 16 bits
inline constexpr std::size_t kRingOffset = 4;  // 32 bits, from the start of the region
inline constexpr std::size_t kRingSize = 8;    // 32 bits
inline constexpr std::size_t kHead = 12;       // 32 bits, written by the kernel
inline constexpr std::size_t kTail = 64;       // 32 bits, on its own cache line, written by us
inline constexpr std::uint16_t kMailboxVersion = 2;
inline constexpr std::uint16_t kCanReportReadLength = 1 << 1;  // TCMU_MAILBOX_FLAG_CAP_READ_LEN

// Every entry starts with this header; its length is a multiple of 8 with the type in the low
// three bits.
inline constexpr std::size_t kLengthAndType = 0;  // 32 bits
inline constexpr std::size_t kCommandId = 4;      // 16 bits
inline constexpr std::size_t kUserFlags = 7;      // 8 bits
inline constexpr std::uint32_t kTypeMask = 0x7;
inline constexpr std::uint32_t kAlignment = 8;
inline constexpr std::uint32_t kTypePad = 0;
inline constexpr std::uint32_t kTypeCommand = 1;
inline constexpr std::uint32_t kTypeTaskManagement = 2;
inline constexpr std::uint8_t kReadLengthValid = 1 << 1;  // TCMU_UFLAG_READ_LEN

// The request, as the kernel writes it. Offsets of the region are 64-bit numbers.
inline constexpr std::size_t kIovCount = 8;       // 32 bits
inline constexpr std::size_t kIovBidiCount = 12;  // 32 bits
inline constexpr std::size_t kIovDifCount = 16;   // 32 bits
inline constexpr std::size_t kCdbOffset = 24;     // 64 bits
inline constexpr std::size_t kIovArray = 48;
inline constexpr std::size_t kIovSize = 16;
inline constexpr std::size_t kIovBase = 0;    // 64 bits
inline constexpr std::size_t kIovLength = 8;  // 64 bits

// The response, written over the request once the back end has read it.
inline constexpr std::size_t kStatus = 8;       // 8 bits
inline constexpr std::size_t kReadLength = 12;  // 32 bits
inline constexpr std::size_t kSense = 16;
inline constexpr std::size_t kSenseSize = 96;
// The shortest command entry: room for the response at least.
inline constexpr std::size_t kCommandEntrySize = 112;

}  // namespace ring_layout

// A field of the region in the machine's byte order. Callers have checked the bounds.
template <typename T>
T LoadField(std::span<const std::uint8_t> region, std::size_t offset) {
  T value{};
  std::memcpy(&value, region.data() + offset, sizeof value);
  return value;
}

template <typename T>
void StoreField(std::span<std::uint8_t> region, std::size_t offset, T value) {
  std::memcpy(region.data() + offset, &value, sizeof value);
}

// True when [offset, offset + length) lies within a region of `size` bytes, without overflow.
constexpr bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

}  // namespace korvel::tcmu
