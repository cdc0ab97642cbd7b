// Readable names and printouts for the cases of parameterised tests. Left to itself GoogleTest
// numbers the cases and prints a case it cannot print as its raw bytes, which ctest then shows
// in every test name; a case names itself through these instead.
//
//   void PrintTo(const RefusalCase& c, std::ostream* os) { case_names::PrintText(c.name, os); }
//   INSTANTIATE_TEST_SUITE_P(Table, RefusalTest, ::testing::Values(...),
//                            case_names::FromMember<&RefusalCase::name>{});
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace korvel::case_names {

// At most this many characters of a text are printed: enough to tell the cases apart, short
// enough to keep a line of the test list readable.
inline constexpr std::size_t kMaxPrinted = 48;

// A text as GoogleTest may use it in a test name: letters and digits only, each run of anything
// else starting a new capitalised word ("held by another program" gives HeldByAnotherProgram).
// A text with neither gives "Case"; one starting with a digit is kept as it is.
inline std::string Identifier(std::string_view text) {
  std::string name;
  bool wordStart = true;
  for (const char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit) {
      wordStart = true;
      continue;
    }
    name += wordStart && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    wordStart = false;
  }
  return name.empty() ? "Case" : name;
}

// A text in double quotes, control bytes, quotes and bytes beyond ASCII as \xNN, cut at
// kMaxPrinted characters with "...". Backslashes are kept (E:\Vcd): the closing quote keeps one
// from ending the text, where ctest's list of test names would take it for an escape.
inline void PrintText(std::string_view text, std::ostream* os) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  *os << '"';
  for (std::size_t i = 0; i < text.size() && i < kMaxPrinted; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c >= 0x7F || c == '"') {
      *os << "\\x" << kHex[c >> 4] << kHex[c & 0xF];
    } else {
      *os << static_cast<char>(c);
    }
  }
  if (text.size() > kMaxPrinted) *os << "...";
  *os << '"';
}

// Texts as {"one", "two"}.
inline void PrintTexts(const std::vector<std::string>& texts, std::ostream* os) {
  *os << '{';
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) *os << ", ";
    PrintText(texts[i], os);
  }
  *os << '}';
}

// Names each case after one of its members (a text): the suite's third argument.
template <auto Member>
struct FromMember {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return Identifier(info.param.*Member);
  }
};

// Names each case after itself, where the case is a text.
struct FromText {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return Identifier(info.param);
  }
};

}  // namespace korvel::case_names
