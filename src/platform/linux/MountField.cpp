#include "platform/linux/MountField.h"

namespace korvel::platform::linux_host {

std::string UnescapeMountField(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    // Three octal digits of one byte: "\400" and above are no escape of the kernel's.
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos && digits[0] <= '3') {
        out +=
            static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

}  // namespace korvel::platform::linux_host
