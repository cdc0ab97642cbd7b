// A lock that programs see by name across the machine: a named mutex, owned by the thread that
// took it for as long as the hold lives. A process that ends, however it ends, lets go of it.
#pragma once

#include <memory>
#include <string>

#include "platform/FlashFacts.h"
#include "platform/WinTypes.h"

namespace korvel::platform::win32 {

struct NamedLockResult {
  // Null when the lock was not taken.
  std::unique_ptr<Hold> hold;
  // Another process (or another thread of this one) owns it.
  bool heldByAnother = false;
  // Why the lock could not be made or asked when it was neither taken nor held by another.
  DWORD error = ERROR_SUCCESS;
};

// The hold must be destroyed on the thread that took it: a mutex is released only by its owner.
NamedLockResult TakeNamedLock(const std::string& name);
// Whether another process owns the lock now, asked without keeping it. A process that only has
// the mutex open (another one asking) does not count.
bool NamedLockHeldByAnother(const std::string& name);

}  // namespace korvel::platform::win32
