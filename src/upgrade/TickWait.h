// The fixed waits of the upgrade, on the millisecond tick counter, that give the drive time to
// save and restart its firmware. Between two readings of the counter the processor is given
// away, so that a wait costs next to no processor time.
#pragma once

#include "platform/Kernel.h"

namespace korvel::upgrade {

inline constexpr platform::DWORD kSaveWaitMs = 2000;
inline constexpr platform::DWORD kRestartWaitMs = 1100;

// Returns at the first reading of GetTickCount at least `milliseconds` after the first one,
// never earlier. The elapsed time is taken as the 32-bit difference of two readings, so the
// wait keeps its length across the counter's wrap-around, in the first seconds after boot, and
// when the counter moves in steps coarser than one millisecond. Between readings it sleeps for
// the time still missing, which ends the wait within a few milliseconds of its length.
void WaitOnTickCount(platform::Kernel& kernel, platform::DWORD milliseconds);

}  // namespace korvel::upgrade
