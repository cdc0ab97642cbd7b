// The command ring of a TCM user device: the mailbox read and checked once, then the entries
// from the tail to the head walked on each wake-up (commands served, padding skipped, the ring
// wrapped), never trusting an offset from the ring before checking it against the region.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "emulator/ScsiTarget.h"
#include "tcmu/CommandEntry.h"

namespace korvel::tcmu {

// The mailbox describes no usable ring; the message says what is wrong.
class RingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RingPass {
  std::size_t commands = 0;  // command entries completed
  bool tailMoved = false;    // the kernel has completions (or skipped padding) to collect
  // Set when an entry header or the head cannot be trusted: the walk stopped there, and the
  // ring cannot be served further.
  std::optional<std::string> fault;
};

using CommandObserver = std::function<void(const ServedCommand&)>;

class CommandRing {
 public:
  // `region` is the whole mapping the kernel shares. Throws RingError when its mailbox does not
  // describe a ring and a data area inside it.
  explicit CommandRing(std::span<std::uint8_t> region);

  // Serves every entry between the mailbox's tail and its head, moving the tail past each.
  RingPass ServePending(emulator::ScsiTarget& target, const CommandObserver& observe);

  std::uint32_t ringOffset() const { return ringOffset_; }
  std::uint32_t ringSize() const { return ringSize_; }
  const RegionGeometry& geometry() const { return geometry_; }

 private:
  std::span<std::uint8_t> region_;
  std::uint32_t ringOffset_ = 0;
  std::uint32_t ringSize_ = 0;
  RegionGeometry geometry_;
};

}  // namespace korvel::tcmu
