// What READ TOC returns for each format, built from the disc layout: the TOC (0), the session
// information (1), the full TOC of the lead-ins (2), the ATIP (4) and the CD-TEXT (5). Each
// answer is whole; the caller cuts it to the allocation length. nullopt means the disc has no
// such answer (or the start track or session is not on it): INVALID FIELD IN CDB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/disc/DiscLayout.h"
#include "formats/DiscAnswerLayouts.h"

namespace korvel::emulator {

namespace toc_layout = formats::toc_layout;
namespace full_toc_layout = formats::full_toc_layout;
namespace atip_layout = formats::atip_layout;

// Full TOC points beside the track numbers.
inline constexpr std::uint8_t kPointFirstTrack = 0xA0;
inline constexpr std::uint8_t kPointLastTrack = 0xA1;
inline constexpr std::uint8_t kPointLeadOut = 0xA2;
inline constexpr std::uint8_t kPointNextProgramArea = 0xB0;
inline constexpr std::uint8_t kPointAtipValues = 0xC0;

enum class TocFormat : std::uint8_t {
  Toc = 0,
  SessionInfo = 1,
  FullToc = 2,
  Atip = 4,
  CdText = 5,
};

// `startTrack` 0 starts at the first track; 0xAA gives only the lead-out.
std::optional<std::vector<std::uint8_t>> TocAnswer(const DiscLayout& layout, bool msf,
                                                   std::uint8_t startTrack);
std::optional<std::vector<std::uint8_t>> SessionInfoAnswer(const DiscLayout& layout, bool msf);
// `startSession` 0 starts at the first session.
std::optional<std::vector<std::uint8_t>> FullTocAnswer(const DiscLayout& layout,
                                                       std::uint8_t startSession);
std::optional<std::vector<std::uint8_t>> AtipAnswer(const Disc& disc);
std::optional<std::vector<std::uint8_t>> CdTextAnswer(const Disc& disc);

// A 4-byte address field of the TOC and the Q channel: a big-endian block address (negative in
// two's complement), or 0, M, S, F in binary.
void PutAddress(std::uint8_t* out, std::int32_t lba, bool msf);

}  // namespace korvel::emulator
