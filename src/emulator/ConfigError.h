// A scenario or device description that cannot be used; the message names the key and the fault.
#pragma once

#include <stdexcept>
#include <string>

namespace korvel::emulator {

class ConfigError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace korvel::emulator
