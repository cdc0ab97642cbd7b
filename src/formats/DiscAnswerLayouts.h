// Where the fields of the READ TOC answers lie: the table of contents (formats 0 and 1), the
// full table of contents (format 2), the ATIP (format 4) and the CD-TEXT packs (format 5). The
// emulated drive writes them and the disc routines read them from these one layouts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvel::formats {

namespace toc_layout {
inline constexpr std::size_t kDataLength = 0;  // 2 bytes: the answer's length less these 2
inline constexpr std::size_t kFirst = 2;       // first track or session
inline constexpr std::size_t kLast = 3;
inline constexpr std::size_t kHeaderSize = 4;
// Formats 0 and 1: 8-byte track descriptors.
inline constexpr std::size_t kAdrControl = 1;
inline constexpr std::size_t kTrack = 2;
inline constexpr std::size_t kAddress = 4;  // 4 bytes: block address, or 0, M, S, F
inline constexpr std::size_t kDescriptorSize = 8;
inline constexpr std::uint8_t kDataTrackBit = 0x04;  // in the ADR/control byte
}  // namespace toc_layout

namespace full_toc_layout {
// The header is that of every TOC answer; kFirst and kLast are session numbers here.
using toc_layout::kDataLength;
using toc_layout::kFirst;
using toc_layout::kHeaderSize;
using toc_layout::kLast;
inline constexpr std::size_t kSession = 0;
inline constexpr std::size_t kAdrControl = 1;
inline constexpr std::size_t kTno = 2;
inline constexpr std::size_t kPoint = 3;
inline constexpr std::size_t kMin = 4;  // Min, Sec, Frame
inline constexpr std::size_t kSec = 5;
inline constexpr std::size_t kFrame = 6;
inline constexpr std::size_t kZero = 7;
inline constexpr std::size_t kPmin = 8;  // PMIN, PSEC, PFRAME
inline constexpr std::size_t kPsec = 9;
inline constexpr std::size_t kPframe = 10;
inline constexpr std::size_t kDescriptorSize = 11;
}  // namespace full_toc_layout

namespace atip_layout {
inline constexpr std::size_t kUse = 5;       // bit 6: unrestricted use
inline constexpr std::size_t kDiscType = 6;  // bit 7 always set; bit 6 rewritable; bit 2 A1 valid
inline constexpr std::size_t kLeadIn = 8;    // M, S, F (binary)
inline constexpr std::size_t kLeadOut = 12;  // M, S, F: last possible lead-out start
inline constexpr std::size_t kA1 = 16;       // low nibble: speed code of a rewritable disc
inline constexpr std::size_t kSize = 28;
}  // namespace atip_layout

namespace cd_text_layout {
inline constexpr std::size_t kHeaderSize = 4;  // before the first pack, as in every TOC answer
inline constexpr std::size_t kPackType = 0;
inline constexpr std::size_t kTrack = 1;
inline constexpr std::size_t kSequence = 2;
inline constexpr std::size_t kCharacterPosition = 3;  // low 4 bits; block number above them
inline constexpr std::size_t kText = 4;
inline constexpr std::size_t kTextLength = 12;
inline constexpr std::size_t kCrc = 16;  // 2 bytes, big-endian
inline constexpr std::size_t kPackSize = 18;
}  // namespace cd_text_layout

}  // namespace korvel::formats
