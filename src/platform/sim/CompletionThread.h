// The ASPI library's own thread: it ends queued requests one after the other, in the order
// they were sent, as the host adapter would.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace korvel::platform::sim {

class CompletionThread {
 public:
  CompletionThread();
  // Ends every request still queued before the thread stops, so no caller waits forever.
  ~CompletionThread();
  CompletionThread(const CompletionThread&) = delete;
  CompletionThread& operator=(const CompletionThread&) = delete;

  void Post(std::function<void()> work);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace korvel::platform::sim
