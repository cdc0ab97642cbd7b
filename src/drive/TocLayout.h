// The layouts of the READ TOC answers that the disc routines read: the table of contents
// (format 0) and the full table of contents (format 2), and the binary-coded decimal of the
// full TOC's times.
#pragma once
#include "formats/DiscAnswerLayouts.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel::drive {

inline constexpr std::uint8_t kTocFormatToc = 0;
inline constexpr std::uint8_t kTocFormatFullToc = 2;

namespace toc_layout = formats::toc_layout;
namespace full_toc_layout = formats::full_toc_layout;

// POINT values of the full TOC that are not track numbers.
inline constexpr std::uint8_t kPointFirstTrack = 0xA0;
inline constexpr std::uint8_t kPointLastTrack = 0xA1;
inline constexpr std::uint8_t kPointLeadOut = 0xA2;
inline constexpr std::uint8_t kPointNextProgramArea = 0xB0;
inline constexpr std::uint8_t kPointAtipCopy = 0xC0;

constexpr std::uint8_t ToBcd(int value) {
  return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}
// No check that the nibbles are decimal digits, as the drive's answer is taken as it comes.
constexpr int FromBcd(std::uint8_t value) {
  return (value / 16) * 10 + value % 16;
}

// The descriptors of a full TOC answer: `count` of them as the caller derives it from the data
// length, but only as many as lie wholly within `bytesRead`.
class FullTocDescriptors {
 public:
  FullTocDescriptors(std::span<const std::uint8_t> bytesRead, std::size_t count);
  std::size_t size() const { return count_; }
  std::span<const std::uint8_t, full_toc_layout::kDescriptorSize> operator[](
      std::size_t index) const;

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t count_;
};

}  // namespace korvel::drive
