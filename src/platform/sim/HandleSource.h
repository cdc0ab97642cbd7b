// Hands out handle values for the simulated PC's events, devices and files. One source for
// all of them, as in Windows, so that a handle of one kind never equals a handle of another.
#pragma once

#include <atomic>

#include "platform/WinTypes.h"

namespace korvel::platform::sim {

class HandleSource {
 public:
  HANDLE Next() { return next_.fetch_add(4); }

 private:
  // Real handles are multiples of 4 and small; these start high enough to stand out in logs.
  std::atomic<HANDLE> next_{0x00000104};
};

}  // namespace korvel::platform::sim
