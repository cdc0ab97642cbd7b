#include "machine/PrintableText.h"

#include <algorithm>
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
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
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

// The code point of the valid sequence of `length` bytes at the start of `text`.
char32_t CodePoint(std::string_view text, std::size_t length) {
  static constexpr std::uint8_t kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  char32_t point = static_cast<std::uint8_t>(text[0]) & kLeadBits[length];
  for (std::size_t i = 1; i < length; ++i) {
    point = (point << 6) | (static_cast<std::uint8_t>(text[i]) & 0x3F);
  }
  return point;
}

// What a terminal acts on instead of showing (C0 and C1 controls, DEL: U+009B alone starts a
// terminal command), and what shows the text after it in another order than it is stored: the
// bidirectional marks, embeddings, overrides and isolates ("abc\u202Etxt.exe" shows as
// "abcexe.txt").
bool IsUnsafe(char32_t point) {
  return point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0x061C || point == 0x200E ||
         point == 0x200F || (point >= 0x202A && point <= 0x202E) ||
         (point >= 0x2066 && point <= 0x2069);
}

void AppendEscaped(std::string& out, std::uint8_t byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

void AppendJsonEscaped(std::string& out, char32_t point) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(point >> shift) & 0x0F];
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = Utf8SequenceLength(text.substr(i));
    if (length != 0 && !IsUnsafe(CodePoint(text.substr(i), length))) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    // An unsafe character is shown byte by byte, as a byte that is no UTF-8 is.
    for (const std::size_t end = i + (length == 0 ? 1 : length); i < end; ++i) {
      AppendEscaped(out, static_cast<std::uint8_t>(text[i]));
    }
  }
  return out;
}

std::string PrintableLines(std::string_view text) {
  std::string out;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    out += PrintableText(text.substr(start, end - start));
    if (end == text.size()) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

std::string PrintableJson(std::string_view json) {
  std::string out;
  out.reserve(json.size());
  std::size_t i = 0;
  while (i < json.size()) {
    const std::size_t length = Utf8SequenceLength(json.substr(i));
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD, as the serializer puts for bytes that are no UTF-8
      ++i;
      continue;
    }
    const char32_t point = CodePoint(json.substr(i), length);
    // The serializer escapes C0 controls inside strings itself; outside them, line feeds and
    // spaces are the layout.
    if (point >= 0x7F && IsUnsafe(point)) {
      AppendJsonEscaped(out, point);
    } else {
      out.append(json.substr(i, length));
    }
    i += length;
  }
  return out;
}

}  // namespace korvel::machine
