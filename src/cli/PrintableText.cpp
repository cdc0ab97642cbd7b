#include "cli/PrintableText.h"

namespace korvel::cli {

std::string PrintableText(std::string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\') {
      shown += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kDigits[byte >> 4];
      shown += kDigits[byte & 0x0F];
    }
  }
  return shown;
}

}  // namespace korvel::cli
