// What kind of disc is in a drive, with its volume name or CD-TEXT title: the class from the
// pattern of data and audio tracks, refined by the first sectors of the file system (mode 1 or
// XA, PlayStation, Video CD, Photo CD, CD-i, packet writing) and by CD-TEXT.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::utilities {

// By track pattern: only data, only audio, data then audio, audio then data.
inline constexpr std::array<const char*, 4> DiscClassNames = {"CD-ROM", "Audio CD", "Mixed Mode CD",
                                                              "CD Extra"};

// The largest CD-TEXT answer the report reads.
inline constexpr std::size_t kCdTextAreaSize = 20000;

// Sets `discClass` ("-" when nothing could be told) and `volume` (the volume name of the file
// system, at most 32 characters, or the CD-TEXT title, trailing blanks removed) and returns the
// volume. With a `cdText` area (up to 20000 bytes are used) the disc's CD-TEXT is read into it.
std::string DiscTypeReport(transport::ScsiTransport& transport, transport::DeviceAddress address,
                           std::string& volume, std::string& discClass,
                           std::span<std::uint8_t> cdText = {});

}  // namespace korvel::utilities
