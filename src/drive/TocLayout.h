// The layouts of the READ TOC answers that the disc routines read: the table of contents
// (format 0) and the full table of contents (format 2), and the binary-coded decimal of the
// full TOC's times.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel::drive {

inline constexpr std::uint8_t kTocFormatToc = 0;
inline constexpr std::uint8_t kTocFormatFullToc = 2;

namespace toc_layout {
inline constexpr std::size_t kDataLength = 0;  // 2 bytes
inline constexpr std::size_t kFirstTrack = 2;
inline constexpr std::size_t kLastTrack = 3;
inline constexpr std::size_t kDescriptors = 4;
inline constexpr std::size_t kDescriptorSize = 8;
// Within a descriptor:
inline constexpr std::size_t kAdrControl = 1;
inline constexpr std::size_t kTrackNumber = 2;
inline constexpr std::size_t kAddress = 4;  // 4 bytes
inline constexpr std::uint8_t kDataTrackBit = 0x04;
}  // namespace toc_layout

namespace full_toc_layout {
inline constexpr std::size_t kDataLength = 0;  // 2 bytes
inline constexpr std::size_t kFirstSession = 2;
inline constexpr std::size_t kLastSession = 3;
inline constexpr std::size_t kDescriptors = 4;
inline constexpr std::size_t kDescriptorSize = 11;
// Within a descriptor:
inline constexpr std::size_t kSession = 0;
inline constexpr std::size_t kAdrControl = 1;
inline constexpr std::size_t kPoint = 3;
inline constexpr std::size_t kMin = 4;
inline constexpr std::size_t kSec = 5;
inline constexpr std::size_t kFrame = 6;
inline constexpr std::size_t kPmin = 8;
inline constexpr std::size_t kPsec = 9;
inline constexpr std::size_t kPframe = 10;
}  // namespace full_toc_layout

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
