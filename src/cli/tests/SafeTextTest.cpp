// What reaches a terminal or a JSON reader from a text the program did not write: the bytes a
// terminal would act on (C0 and C1 controls, DEL) and the characters that reorder what follows
// them on screen (bidirectional overrides, isolates and marks) are shown, never passed on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "cli/SafeText.h"

namespace korvel::cli {
namespace {

struct SafeTextCase {
  const char* name;
  std::string raw;
  std::string text;  // as PrintableText shows it
  std::string json;  // the string as SafeJson writes it, quotes included
};

void PrintTo(const SafeTextCase& c, std::ostream* out) {
  *out << c.name;
}

class SafeTextTable : public ::testing::TestWithParam<SafeTextCase> {};

TEST_P(SafeTextTable, TextShowsTheUnsafeBytes) {
  EXPECT_EQ(PrintableText(GetParam().raw), GetParam().text);
}

TEST_P(SafeTextTable, JsonEscapesTheUnsafeCharacters) {
  EXPECT_EQ(SafeJson(nlohmann::ordered_json(GetParam().raw), -1), GetParam().json);
}

TEST_P(SafeTextTable, JsonInsideADocumentStaysReadable) {
  nlohmann::ordered_json document;
  document["product"] = GetParam().raw;
  const std::string written = SafeJson(document);
  EXPECT_EQ(written, "{\n  \"product\": " + GetParam().json + "\n}");
  EXPECT_TRUE(nlohmann::json::accept(written));
}

// Code points by their UTF-8 bytes, written out so that no helper of the program makes them.
INSTANTIATE_TEST_SUITE_P(
    Texts, SafeTextTable,
    ::testing::Values(
        SafeTextCase{"plain", "CD-R RZ5140 1.50", "CD-R RZ5140 1.50", "\"CD-R RZ5140 1.50\""},
        SafeTextCase{"title_sequence", "a\x1B]0;x\x07z", "a\\x1B]0;x\\x07z",
                     "\"a\\u001b]0;x\\u0007z\""},
        SafeTextCase{"clear_screen", "\x1B[2J", "\\x1B[2J", "\"\\u001b[2J\""},
        SafeTextCase{"bell", "\x07", "\\x07", "\"\\u0007\""},
        SafeTextCase{"nul", std::string("a\0b", 3), "a\\x00b", "\"a\\u0000b\""},
        SafeTextCase{"newline_and_tab", "a\nb\tc", "a\\x0Ab\\x09c", "\"a\\nb\\tc\""},
        SafeTextCase{"delete", "a\x7F", "a\\x7F", "\"a\\u007f\""},
        SafeTextCase{"c1_first_utf8", "\xC2\x80", "\\xC2\\x80", "\"\\u0080\""},
        SafeTextCase{"c1_csi_utf8",
                     "x\xC2\x9B"
                     "2J",
                     "x\\xC2\\x9B2J", "\"x\\u009b2J\""},
        SafeTextCase{"c1_osc_utf8",
                     "\xC2\x9D"
                     "0;x\xC2\x9C",
                     "\\xC2\\x9D0;x\\xC2\\x9C", "\"\\u009d0;x\\u009c\""},
        SafeTextCase{"c1_last_utf8", "\xC2\x9F", "\\xC2\\x9F", "\"\\u009f\""},
        SafeTextCase{"no_break_space_stays", "a\xC2\xA0z", "a\xC2\xA0z", "\"a\xC2\xA0z\""},
        SafeTextCase{"c1_csi_raw",
                     "\x9B"
                     "2J",
                     "\\x9B2J",
                     "\"\xEF\xBF\xBD"
                     "2J\""},
        SafeTextCase{"c1_first_raw", "a\x80", "a\\x80", "\"a\xEF\xBF\xBD\""},
        SafeTextCase{"lre", "\xE2\x80\xAA", "\\xE2\\x80\\xAA", "\"\\u202a\""},
        SafeTextCase{"rle", "\xE2\x80\xAB", "\\xE2\\x80\\xAB", "\"\\u202b\""},
        SafeTextCase{"pdf", "\xE2\x80\xAC", "\\xE2\\x80\\xAC", "\"\\u202c\""},
        SafeTextCase{"lro", "\xE2\x80\xAD", "\\xE2\\x80\\xAD", "\"\\u202d\""},
        SafeTextCase{"rlo",
                     "abc\xE2\x80\xAE"
                     "fed",
                     "abc\\xE2\\x80\\xAEfed", "\"abc\\u202efed\""},
        SafeTextCase{"lri", "\xE2\x81\xA6", "\\xE2\\x81\\xA6", "\"\\u2066\""},
        SafeTextCase{"rli", "\xE2\x81\xA7", "\\xE2\\x81\\xA7", "\"\\u2067\""},
        SafeTextCase{"fsi", "\xE2\x81\xA8", "\\xE2\\x81\\xA8", "\"\\u2068\""},
        SafeTextCase{"pdi", "\xE2\x81\xA9", "\\xE2\\x81\\xA9", "\"\\u2069\""},
        SafeTextCase{"lrm", "\xE2\x80\x8E", "\\xE2\\x80\\x8E", "\"\\u200e\""},
        SafeTextCase{"rlm", "\xE2\x80\x8F", "\\xE2\\x80\\x8F", "\"\\u200f\""},
        SafeTextCase{"arabic_letter_mark", "\xD8\x9C", "\\xD8\\x9C", "\"\\u061c\""},
        // The neighbours of the overrides are ordinary punctuation and spaces.
        SafeTextCase{"narrow_no_break_space_stays", "\xE2\x80\xAF", "\xE2\x80\xAF",
                     "\"\xE2\x80\xAF\""},
        SafeTextCase{"hyphen_stays", "\xE2\x80\x90", "\xE2\x80\x90", "\"\xE2\x80\x90\""},
        SafeTextCase{"arabic_comma_stays", "\xD8\x8C", "\xD8\x8C", "\"\xD8\x8C\""},
        SafeTextCase{"invalid_byte", "rz\xFF.bin", "rz\\xFF.bin", "\"rz\xEF\xBF\xBD.bin\""},
        SafeTextCase{"cut_sequence", "a\xE2\x80", "a\\xE2\\x80", "\"a\xEF\xBF\xBD\""},
        SafeTextCase{"overlong_slash", "\xC0\xAF", "\\xC0\\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        SafeTextCase{"surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80",
                     "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        SafeTextCase{"accented_letters_stay", "Caf\xC3\xA9 \xC3\x84", "Caf\xC3\xA9 \xC3\x84",
                     "\"Caf\xC3\xA9 \xC3\x84\""},
        SafeTextCase{"emoji_stays", "disc \xF0\x9F\x92\xBF", "disc \xF0\x9F\x92\xBF",
                     "\"disc \xF0\x9F\x92\xBF\""},
        SafeTextCase{"joined_emoji_stays", "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB",
                     "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB",
                     "\"\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB\""}),
    [](const ::testing::TestParamInfo<SafeTextCase>& info) { return info.param.name; });

TEST(PrintableLinesTest, KeepsTheLineBreaksAndShowsEverythingElse) {
  EXPECT_EQ(PrintableLines("unknown: --\x1B]0;x\x07\nRun with --help\n"),
            "unknown: --\\x1B]0;x\\x07\nRun with --help\n");
  EXPECT_EQ(PrintableLines("a\r\n\xE2\x80\xAE\n"), "a\\x0D\n\\xE2\\x80\\xAE\n");
  EXPECT_EQ(PrintableLines(""), "");
}

}  // namespace
}  // namespace korvel::cli
