#include "drive/CdText.h"

#include <algorithm>
#include <array>

namespace korvel::drive {

std::string CdTextString(std::uint8_t packType, int ordinal, std::span<const std::uint8_t> data,
                         std::size_t dataLength, bool doubleAmpersands) {
  namespace layout = cd_text_layout;
  const std::size_t length = std::min(dataLength, data.size());
  const std::size_t packs = length / layout::kPackSize;
  std::array<char, kCdTextWorkArea> work{};
  std::size_t w = 0;
  int completed = 0;
  const auto store = [&](char c) {
    // The last byte of the area stays free for the terminating zero: a longer string is cut.
    if (w + 1 < work.size()) work[w++] = c;
  };
  for (std::size_t k = 0; k < packs; ++k) {
    const std::size_t pack = layout::kHeaderSize + layout::kPackSize * k;
    // Only the text bytes need to lie within the data: a drive's data length that counts from
    // after its own two bytes ends two bytes before the last pack's CRC.
    if (pack + layout::kText + layout::kTextLength > length) break;
    if (data[pack + layout::kPackType] != packType) continue;
    for (std::size_t i = 0; i < layout::kTextLength; ++i) {
      const std::size_t at = pack + layout::kText + i;
      const auto c = static_cast<char>(data[at]);
      store(c);
      if (doubleAmpersands && c == '&') store('&');
      // A zero after a non-zero byte ends a string; for the first text byte of a pack the byte
      // before it is the character position.
      if (c == 0 && data[at - 1] != 0) {
        // The area's last byte is never written, so the text always ends inside it.
        if (completed == ordinal) return std::string(work.data());
        ++completed;
        w = 0;
      }
    }
  }
  return {};
}

std::vector<std::string> CdTextStrings(std::uint8_t packType, std::span<const std::uint8_t> data,
                                       std::size_t dataLength) {
  namespace layout = cd_text_layout;
  const std::size_t length = std::min(dataLength, data.size());
  std::vector<std::string> strings;
  std::string current;
  for (std::size_t pack = layout::kHeaderSize; pack + layout::kText + layout::kTextLength <= length;
       pack += layout::kPackSize) {
    if (data[pack + layout::kPackType] != packType) continue;
    for (std::size_t i = 0; i < layout::kTextLength; ++i) {
      const auto c = static_cast<char>(data[pack + layout::kText + i]);
      if (c != 0) {
        if (current.size() + 1 < kCdTextWorkArea) current += c;
        continue;
      }
      strings.push_back(std::move(current));
      current.clear();
    }
  }
  // The zeros that fill the last pack are not strings.
  while (!strings.empty() && strings.back().empty()) strings.pop_back();
  return strings;
}

}  // namespace korvel::drive
