// One way of carrying a command to a device (ASPI, NT pass-through, Linux SG_IO). The transport
// picks the back end; the back end reports the status and which sense bytes to keep.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace korvel::transport {

struct BackendOutcome {
  std::int32_t status = 0;
  // The 14 sense bytes to store in the address's slot, or nothing to leave the slot alone.
  std::optional<std::array<std::uint8_t, 14>> sense;
};

struct CommandRequest {
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  const std::uint8_t* cdb = nullptr;
  std::uint8_t cdbLength = 0;
  bool dataOut = false;
  std::uint8_t* buffer = nullptr;
  std::uint32_t length = 0;
};

class CommandBackend {
 public:
  virtual ~CommandBackend() = default;
  virtual BackendOutcome Execute(const CommandRequest& request) = 0;
};

}  // namespace korvel::transport
