// The description of one emulated device, as read from a scenario.
#pragma once

#include <array>
#include <cstdint>

namespace korvel::emulator {

struct DeviceConfig {
  // INQUIRY fields exactly as the device returns them (blank-padded, zero bytes allowed).
  std::array<char, 8> vendor{};
  std::array<char, 16> product{};
  std::array<char, 4> revision{};
  std::uint8_t peripheral = 0x05;  // byte 0 of the INQUIRY data: CD-ROM device
  // The rest (maker, faults, firmware memory, mode pages, disc, timing) is added by the
  // emulator's own description.
};

}  // namespace korvel::emulator
