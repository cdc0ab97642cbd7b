#include "emulator/disc/DiscCodes.h"

#include <algorithm>

namespace korvel::emulator {
namespace {

constexpr std::size_t kIsrcCodeLength = 5;  // country and owner

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsUpperOrDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z');
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

}  // namespace

std::optional<std::string> CatalogFault(std::string_view text) {
  if (text.size() == kCatalogDigits && std::all_of(text.begin(), text.end(), IsDigit)) {
    return std::nullopt;
  }
  return Quoted(text) + " is not a media catalog number (13 digits)";
}

std::optional<std::string> IsrcFault(std::string_view text) {
  if (text.size() == kIsrcLength &&
      std::all_of(text.begin(), text.begin() + kIsrcCodeLength, IsUpperOrDigit) &&
      std::all_of(text.begin() + kIsrcCodeLength, text.end(), IsDigit)) {
    return std::nullopt;
  }
  return Quoted(text) +
         " is not an ISRC (12 characters CCOOOYYSSSSS: a country code of 2 and an owner code of "
         "3 letters A to Z or digits, a year of 2 and a serial number of 5 digits)";
}

}  // namespace korvel::emulator
