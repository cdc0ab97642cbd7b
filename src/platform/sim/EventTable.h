// The kernel's event objects: created, signalled, waited on and closed from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "platform/WinTypes.h"
#include "platform/sim/HandleSource.h"

namespace korvel::platform::sim {

class EventTable {
 public:
  explicit EventTable(HandleSource& handles) : handles_(handles) {}

  HANDLE Create(bool manualReset, bool initialState);
  bool Set(HANDLE event);
  bool Reset(HANDLE event);
  // WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a handle that is no event.
  DWORD Wait(HANDLE event, DWORD milliseconds);
  bool Close(HANDLE event);
  bool Contains(HANDLE event);

  int created() const { return created_; }
  int closed() const { return closed_; }
  int open() const { return created_ - closed_; }

 private:
  struct Event {
    std::mutex mutex;
    std::condition_variable changed;
    bool manualReset = true;
    bool signalled = false;
  };
  std::shared_ptr<Event> Find(HANDLE event);

  HandleSource& handles_;
  std::mutex mutex_;
  std::map<HANDLE, std::shared_ptr<Event>> events_;
  std::atomic<int> created_{0};
  std::atomic<int> closed_{0};
};

}  // namespace korvel::platform::sim
