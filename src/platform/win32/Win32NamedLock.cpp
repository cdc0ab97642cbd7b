#include "platform/win32/Win32NamedLock.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {
namespace {

class OwnedMutex : public Hold {
 public:
  explicit OwnedMutex(::HANDLE mutex) : mutex_(mutex) {}
  ~OwnedMutex() override {
    ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
  }
  OwnedMutex(const OwnedMutex&) = delete;
  OwnedMutex& operator=(const OwnedMutex&) = delete;

 private:
  ::HANDLE mutex_;
};

}  // namespace

NamedLockResult TakeNamedLock(const std::string& name) {
  NamedLockResult result;
  // Not owned on creation: an existing mutex would not be owned anyway, and the wait below
  // answers both cases the same way.
  ::HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) {
    const DWORD error = ::GetLastError();
    // Another user's program made it, and its mutex exists only while that program flashes
    // (or looks for a moment): as good as held.
    if (error == ERROR_ACCESS_DENIED) {
      result.heldByAnother = true;
    } else {
      result.error = error;
    }
    return result;
  }
  switch (::WaitForSingleObject(mutex, 0)) {
    case WAIT_OBJECT_0:
    // A program ended while it held the lock: its flash is over, and the lock is now ours.
    case WAIT_ABANDONED:
      result.hold = std::make_unique<OwnedMutex>(mutex);
      return result;
    case WAIT_TIMEOUT:
      result.heldByAnother = true;
      break;
    default:
      result.error = ::GetLastError();
      break;
  }
  ::CloseHandle(mutex);
  return result;
}

bool NamedLockHeldByAnother(const std::string& name) {
  ::HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
  if (mutex == nullptr) {
    // No such mutex: nobody holds it. Access denied: another user's program has it open.
    return ::GetLastError() == ERROR_ACCESS_DENIED;
  }
  // The mutex existing says only that someone has it open; whether someone owns it is told by
  // trying to own it for no time at all, and giving it straight back.
  bool held = false;
  switch (::WaitForSingleObject(mutex, 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
      ::ReleaseMutex(mutex);
      break;
    case WAIT_TIMEOUT:
      held = true;
      break;
    default:
      break;
  }
  ::CloseHandle(mutex);
  return held;
}

}  // namespace korvel::platform::win32
