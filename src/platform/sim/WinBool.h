// The two values of a Win32 BOOL result.
#pragma once

#include "platform/WinTypes.h"

namespace korvel::platform::sim {

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

}  // namespace korvel::platform::sim
