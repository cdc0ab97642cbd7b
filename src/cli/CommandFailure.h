// Which command of a drive routine failed, by the name people know it by, with its sense: what
// a korvelfw command prints when a routine gives up.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::cli {

struct CommandFailure {
  std::string command;
  std::int32_t status = 0;
  std::optional<std::string> sense;  // "KK/AA/QQ"
};

// "READ TOC", "SET CD SPEED", ... or "command 0xNN".
std::string CommandName(std::uint8_t opcode);

// The failure of the last command sent to `address`, which ended with `status`; when the last
// command on record is not that one, the routine refused before sending anything.
CommandFailure FailureOf(transport::ScsiTransport& transport, transport::DeviceAddress address,
                         std::int32_t status);

}  // namespace korvel::cli
