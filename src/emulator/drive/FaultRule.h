// A scenario's rule that makes a device fail one command on purpose.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/Sense.h"

namespace korvel::emulator {

struct FaultRule {
  // Empty matches every opcode.
  std::optional<std::uint8_t> opcode;
  // The low 3 bits of CDB byte 1 (the mode of WRITE BUFFER); empty matches any.
  std::optional<std::uint8_t> mode;
  // 1-based count among the commands that match opcode and mode; empty means every time.
  std::optional<std::uint32_t> occurrence;
  // With an occurrence: that one and every later match fail, as a device that breaks down.
  bool andLater = false;
  // The device never answers (the host adapter sees a selection time-out).
  bool noAnswer = false;
  std::uint8_t status = 0x02;
  SenseCode sense{0x05, 0x24, 0x00};
};

}  // namespace korvel::emulator
