// The two codes that a disc's Q channel carries besides positions: the media catalog number of
// the disc (13 digits) and the International Standard Recording Code of a track (12 characters
// CCOOOYYSSSSS). Every reader of a disc description checks them here, so all refuse alike.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::emulator {

inline constexpr std::size_t kCatalogDigits = 13;
inline constexpr std::size_t kIsrcLength = 12;

// Why `text` is not a media catalog number, as `"TEXT" is not ...`; nothing when it is one.
std::optional<std::string> CatalogFault(std::string_view text);

// Why `text` is not an ISRC: a country code of 2 and an owner code of 3 letters A..Z or digits,
// then 2 digits of year and 5 of serial number. Only those characters, as the Q channel's 6-bit
// code holds no others.
std::optional<std::string> IsrcFault(std::string_view text);

}  // namespace korvel::emulator
