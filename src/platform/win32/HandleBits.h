// Real Win32 handles and pointers as the platform interfaces carry them: 32-bit values. On the
// i686 build a pointer is 32 bits wide, so the conversion is exact both ways.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

namespace korvel::platform::win32 {

static_assert(sizeof(void*) == sizeof(HANDLE), "the Windows build is for 32-bit Windows only");

inline HANDLE HandleBits(const void* pointer) {
  return static_cast<HANDLE>(reinterpret_cast<std::uintptr_t>(pointer));
}

template <typename Pointer>
Pointer FromHandleBits(HANDLE bits) {
  return reinterpret_cast<Pointer>(static_cast<std::uintptr_t>(bits));
}

}  // namespace korvel::platform::win32
