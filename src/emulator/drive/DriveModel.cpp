#include "emulator/drive/DriveModel.h"

#include <algorithm>
#include <string_view>

namespace korvel::emulator {
namespace {

constexpr std::string_view kRz6120 = "CD-R   RZ6120   ";
constexpr std::string_view kRz5140 = "CD-R   RZ5140   ";

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameProduct(const std::array<char, 16>& product, std::string_view row) {
  return std::equal(product.begin(), product.end(), row.begin(), row.end(),
                    [](char a, char b) { return UpperAscii(a) == UpperAscii(b); });
}

}  // namespace

DriveModel ModelOfProduct(const std::array<char, 16>& product) {
  if (SameProduct(product, kRz6120)) return {&formats::kFormatA, true};
  if (SameProduct(product, kRz5140)) return {&formats::kFormatB, false};
  return {};
}

}  // namespace korvel::emulator
