#include "utilities/BitsText.h"

namespace korvel::utilities {

namespace {

char BitChar(unsigned value, unsigned bit) {
  return ((value >> bit) & 1u) != 0 ? '1' : '0';
}

}  // namespace

const char* BitsText8(unsigned value, BitsText8Buffer& text) {
  for (unsigned bit = 0; bit < 8; ++bit) text[bit] = BitChar(value, bit);
  text[8] = '\0';
  return text.data();
}

const char* BitsText3(unsigned value, BitsText3Buffer& text) {
  for (unsigned i = 0; i < 3; ++i) text[i] = BitChar(value, 2 - i);
  text[3] = '\0';
  return text.data();
}

}  // namespace korvel::utilities
