// The command log: one JSON object per line for every command that reaches ExecuteCommand and
// every INQUIRY answered from the host's own data, in the order they happen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

#include "platform/Kernel.h"

namespace korvel::transport {

struct CommandLogEntry {
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  std::span<const std::uint8_t> cdb;
  bool dataOut = false;
  std::uint32_t length = 0;
  // The bytes a data-out command sent (the whole transfer; the log keeps the first 256).
  std::span<const std::uint8_t> dataOutBytes;
  std::int32_t status = 0;
  // The 14 sense bytes kept for a failed command; empty on success.
  std::span<const std::uint8_t> sense;
  // True for an INQUIRY answered from the data the host keeps (no command reached the drive).
  bool fromHostData = false;
};

// A data-out command's bytes beyond this many are counted in "data_out_length" but not written.
inline constexpr std::size_t kLoggedDataOutBytes = 256;

class CommandLog {
 public:
  CommandLog(std::ostream& out, platform::Kernel& kernel) : out_(out), kernel_(kernel) {}
  void Record(const CommandLogEntry& entry);

 private:
  std::ostream& out_;
  platform::Kernel& kernel_;
};

}  // namespace korvel::transport
