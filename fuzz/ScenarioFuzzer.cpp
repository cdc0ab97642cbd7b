// The scenario reader on any text: it must either build a scenario or refuse the text with a
// ConfigError; any other exception, a crash or undefined behaviour is a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "emulator/ConfigError.h"
#include "platform/sim/Scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    korvel::platform::sim::LoadScenarioText(
        std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const korvel::emulator::ConfigError&) {
  }
  return 0;
}
