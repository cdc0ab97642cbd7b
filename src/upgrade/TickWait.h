// The fixed waits of the upgrade: busy loops on the millisecond tick counter, without sleeping,
// that give the drive time to save and restart its firmware.
#pragma once

#include "platform/Kernel.h"

namespace korvel::upgrade {

inline constexpr platform::DWORD kSaveWaitMs = 2000;
inline constexpr platform::DWORD kRestartWaitMs = 1100;

// Returns once `milliseconds` have passed since the first reading of GetTickCount. The elapsed
// time is taken as the 32-bit difference of two readings, so the wait keeps its length across
// the counter's wrap-around, in the first seconds after boot, and when the counter moves in
// steps coarser than one millisecond.
void BusyWait(platform::Kernel& kernel, platform::DWORD milliseconds);

}  // namespace korvel::upgrade
