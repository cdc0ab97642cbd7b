#include "platform/sim/EventTable.h"

#include <chrono>

namespace korvel::platform::sim {

HANDLE EventTable::Create(bool manualReset, bool initialState) {
  auto event = std::make_shared<Event>();
  event->manualReset = manualReset;
  event->signalled = initialState;
  HANDLE handle = handles_.Next();
  std::lock_guard lock(mutex_);
  events_[handle] = std::move(event);
  ++created_;
  return handle;
}

std::shared_ptr<EventTable::Event> EventTable::Find(HANDLE event) {
  std::lock_guard lock(mutex_);
  auto it = events_.find(event);
  return it == events_.end() ? nullptr : it->second;
}

bool EventTable::Contains(HANDLE event) {
  return Find(event) != nullptr;
}

bool EventTable::Set(HANDLE handle) {
  auto event = Find(handle);
  if (!event) return false;
  {
    std::lock_guard lock(event->mutex);
    event->signalled = true;
  }
  event->changed.notify_all();
  return true;
}

bool EventTable::Reset(HANDLE handle) {
  auto event = Find(handle);
  if (!event) return false;
  std::lock_guard lock(event->mutex);
  event->signalled = false;
  return true;
}

DWORD EventTable::Wait(HANDLE handle, DWORD milliseconds) {
  // The shared pointer keeps the event alive should another thread close the handle meanwhile.
  auto event = Find(handle);
  if (!event) return WAIT_FAILED;
  std::unique_lock lock(event->mutex);
  auto isSignalled = [&] { return event->signalled; };
  if (milliseconds == INFINITE) {
    event->changed.wait(lock, isSignalled);
  } else if (!event->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), isSignalled)) {
    return WAIT_TIMEOUT;
  }
  if (!event->manualReset) event->signalled = false;
  return WAIT_OBJECT_0;
}

bool EventTable::Close(HANDLE handle) {
  std::lock_guard lock(mutex_);
  if (events_.erase(handle) == 0) return false;
  ++closed_;
  return true;
}

}  // namespace korvel::platform::sim
