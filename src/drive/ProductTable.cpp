#include <array>

#include "drive/Identification.h"

namespace korvel::drive {
namespace {

constexpr std::array<char, 17> Row(const char (&text)[17]) {
  std::array<char, 17> row{};
  for (int i = 0; i < 17; ++i) row[i] = text[i];
  return row;
}

constexpr std::array<char, 32> Name(const char* text) {
  std::array<char, 32> name{};
  for (int i = 0; text[i] != '\0' && i < 31; ++i) name[i] = text[i];
  return name;
}

constexpr char kCdRom[17] = "CD-ROM          ";
constexpr char kCdR[17] = "CD-R            ";

}  // namespace

// Several rows share a text: the lookup keeps the last row that matches, so only 16..19 result.
const std::array<std::array<char, 17>, kProductRows> ProductTable = {
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdR),
    Row(kCdRom),
    Row(kCdRom),
    Row(kCdR),
    Row(kCdRom),
    Row(kCdR),
    Row("CD-R   RZ5140   "),
    Row(kCdRom),
    Row("CD-R   RZ6120   "),
    Row(kCdR),
};

const std::array<std::array<char, 32>, kProductRows> ModelNameTable = {
    Name(" "), Name(" "), Name(" "),        Name(" "), Name(" "),          Name(" "), Name(" "),
    Name(" "), Name(" "), Name(" "),        Name(" "), Name(" "),          Name(" "), Name(" "),
    Name(" "), Name(" "), Name(" RZ5140 "), Name(" "), Name(" RZ6120LX "), Name(" "),
};

}  // namespace korvel::drive
