#include "machine/PrintableText.h"

#include <cstdint>

namespace korvel::machine {

namespace {

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when it is not one
// (overlong forms, surrogates and code points above U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void AppendEscaped(std::string& out, std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += text[i++];
      continue;
    }
    if (byte >= 0x80) {
      const std::size_t length = Utf8SequenceLength(text.substr(i));
      // U+0080..U+009F are control characters too (U+009B starts a terminal command).
      const bool c1Control =
          length == 2 && byte == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) < 0xA0;
      if (length != 0 && !c1Control) {
        out.append(text.substr(i, length));
        i += length;
        continue;
      }
    }
    AppendEscaped(out, byte);
    ++i;
  }
  return out;
}

}  // namespace korvel::machine
