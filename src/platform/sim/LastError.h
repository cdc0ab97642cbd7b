// The calling thread's last error code, as every Win32 call of the simulated PC leaves it.
// Kept per thread, like the real one, because completions run on the library's own thread.
#pragma once

#include <map>
#include <mutex>
#include <thread>

#include "platform/WinTypes.h"

namespace korvel::platform::sim {

class LastError {
 public:
  void Set(DWORD code) {
    std::lock_guard lock(mutex_);
    codes_[std::this_thread::get_id()] = code;
  }
  DWORD Get() {
    std::lock_guard lock(mutex_);
    auto it = codes_.find(std::this_thread::get_id());
    return it == codes_.end() ? ERROR_SUCCESS : it->second;
  }

 private:
  std::mutex mutex_;
  std::map<std::thread::id, DWORD> codes_;
};

}  // namespace korvel::platform::sim
