#include "tcmu/CommandLogLine.h"

#include <array>
#include <cstdio>

namespace korvel::tcmu {
namespace {

std::string Hex(unsigned value) {
  std::array<char, 4> text{};
  std::snprintf(text.data(), text.size(), "%02X", value & 0xFFu);
  return text.data();
}

std::string StatusText(const emulator::CommandResult& result) {
  switch (result.status) {
    case emulator::kStatusGood:
      return "GOOD";
    case emulator::kStatusBusy:
      return "BUSY";
    case emulator::kStatusCheckCondition: {
      const emulator::SenseCode code = emulator::SenseCodeOf(result.sense);
      return "CHECK CONDITION " + Hex(code.key) + "/" + Hex(code.asc) + "/" + Hex(code.ascq);
    }
    default:
      return "status " + Hex(result.status);
  }
}

}  // namespace

std::string CommandLogLine(const ServedCommand& served) {
  std::string line;
  if (!served.fault.empty()) {
    line = "entry refused (" + served.fault + ")";
  } else {
    line = "cdb";
    for (std::uint8_t byte : served.cdb) line += " " + Hex(byte);
    line += served.direction == emulator::Direction::Out ? ", out " : ", in ";
    line += std::to_string(served.length);
  }
  line += ": " + StatusText(served.result);
  if (served.fault.empty() && served.result.status == emulator::kStatusGood &&
      served.direction == emulator::Direction::In && served.length > 0) {
    line += ", " + std::to_string(served.result.transferred) + " moved";
  }
  return line;
}

}  // namespace korvel::tcmu
