// The kernel side of a TCM user device as user space reaches it: a UIO node whose first map is
// the shared region, whose reads wait for new commands and whose writes announce completions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>

namespace korvel::tcmu {

// The node cannot be used; the message names it and says why.
class UioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class UioDevice {
 public:
  // Opens `node` for reading and writing and maps the whole region of its map0, the only size
  // the kernel accepts. Throws UioError.
  explicit UioDevice(const std::filesystem::path& node);
  ~UioDevice();
  UioDevice(const UioDevice&) = delete;
  UioDevice& operator=(const UioDevice&) = delete;

  std::span<std::uint8_t> region() const { return {base_, size_}; }
  // Readable when the kernel has posted commands since the last TakeEvents.
  int fd() const { return fd_; }
  // The UIO name of the device ("tcm-user/0/NAME/NAME/CONFIG" for a TCM user device).
  const std::string& name() const { return name_; }

  // Consumes the pending wake-up (the node's event count).
  void TakeEvents();
  // Tells the kernel that the tail has moved.
  void SignalCompletion();

 private:
  int fd_ = -1;
  std::uint8_t* base_ = nullptr;
  std::size_t size_ = 0;
  std::string name_;
};

}  // namespace korvel::tcmu
