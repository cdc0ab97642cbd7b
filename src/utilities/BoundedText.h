// Copies into a caller's fixed-size text: at most its size less one characters, then a NUL, so
// that no text from a record, a registry value or the system ever runs past the caller's buffer.
#pragma once

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

namespace korvel::utilities {

// Nothing is written to a text of size 0. Returns the text.
inline char* CopyBounded(std::span<char> out, std::string_view text) {
  if (out.empty()) return out.data();
  const std::size_t length = std::min(text.size(), out.size() - 1);
  if (length > 0) std::memcpy(out.data(), text.data(), length);
  out[length] = '\0';
  return out.data();
}

}  // namespace korvel::utilities
