// Reading a target of a scenario: what is accepted, and that every refusal names its key.
#include <gtest/gtest.h>

#include "emulator/ConfigError.h"
#include "emulator/DeviceFactory.h"

namespace korvel::emulator {
namespace {

using nlohmann::json;

const std::string kWhere = "adapters[0].targets[1]";

std::string ErrorOf(const json& target) {
  try {
    ParseDeviceConfig(target, kWhere);
  } catch (const ConfigError& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST(DeviceConfigParserTest, RefusalsNameTheKey) {
  const struct {
    json target;
    std::string expected;
  } cases[] = {
      {{{"vendor", "KORVEL INC"}}, kWhere + ".vendor: longer than 8 characters"},
      {{{"product", "CD-R   RZ6120    "}}, kWhere + ".product: longer than 16 characters"},
      {{{"revision", "1.100"}}, kWhere + ".revision: longer than 4 characters"},
      {{{"vendor", 7}}, kWhere + ".vendor: expected a string"},
      {{{"peripheral", 256}}, kWhere + ".peripheral: must be at most 255"},
      {{{"peripheral", -1}}, kWhere + ".peripheral: must not be negative"},
      {{{"peripheral", "0x1G"}},
       kWhere + ".peripheral: expected a number (decimal or 0x hexadecimal), got \"0x1G\""},
      {{{"colour", "red"}}, kWhere + ".colour: unknown key"},
      {{{"colour", "red"}, {"size", 1}},
       kWhere + ".colour: unknown key; " + kWhere + ".size: unknown key"},
      {{{"maker", "acme"}}, kWhere + ".maker: expected \"korvel\" or \"other\", got \"acme\""},
      {{{"delay_ms", 1.5}}, kWhere + ".delay_ms: 1.5 is not a whole number from 0 to 86400000"},
      {{{"restart_ms", "soon"}},
       kWhere + ".restart_ms: expected a number (decimal or 0x hexadecimal), got \"soon\""},
      {{{"faults", {{"opcode", 0}}}}, kWhere + ".faults: expected a list"},
      {{{"faults", json::array({{{"mode", 4}}})}}, kWhere + ".faults[0].opcode: required"},
      {{{"faults", json::array({{{"opcode", 0}, {"no_answer", true}},
                                {{"opcode", "0x3B"}, {"sense", "5/24/0"}}})}},
       kWhere + ".faults[1].sense: expected \"KK/AA/QQ\" in hexadecimal, got \"5/24/0\""},
      {{{"faults", json::array({{{"opcode", "0x3B"}, {"mode", 8}, {"sense", "05/24/00"}}})}},
       kWhere + ".faults[0].mode: must be at most 7"},
      {{{"faults", json::array({{{"opcode", 0}, {"occurrence", 0}, {"sense", "05/24/00"}}})}},
       kWhere + ".faults[0].occurrence: counts from 1"},
      {{{"faults", json::array({{{"opcode", 0}}})}},
       kWhere + ".faults[0].sense: required with status 2 (CHECK CONDITION)"},
      {{{"faults", json::array({{{"opcode", 0}, {"no_answer", true}, {"status", 2}}})}},
       kWhere + ".faults[0]: no_answer excludes status and sense"},
      {{{"faults", json::array({{{"opcode", 0}, {"sense", "05/24/00"}, {"after", 1}}})}},
       kWhere + ".faults[0].after: unknown key"},
      {{{"memory",
         json::array({{{"address", 16}, {"hex", "0102"}}, {{"address", 17}, {"ascii", "x"}}})}},
       kWhere + ".memory[1]: overlaps " + kWhere + ".memory[0]"},
      {{{"memory", json::array({{{"address", 16}}})}},
       kWhere + ".memory[0]: give exactly one of hex and ascii"},
      {{{"memory", json::array({{{"address", 16}, {"hex", "0x12"}}})}},
       kWhere + ".memory[0].hex: expected hexadecimal digits, found 'x'"},
      {{{"memory", json::array({{{"address", "0xFFFFFFFF"}, {"hex", "0102"}}})}},
       kWhere + ".memory[0]: runs past the end of the 32-bit address space"},
      {{{"mode_pages", {{"31", "31 03 00 00"}}}},
       kWhere + ".mode_pages.31: page length byte says 3 but 2 bytes follow it"},
      {{{"mode_pages", {{"31", "31 03 00 00 00"}}}},
       kWhere + ".mode_pages.31: page length 3 does not fit this page"},
      {{{"mode_pages", {{"2A", "2A 02 00 00"}}}},
       kWhere + ".mode_pages.2A: page length 2 does not fit this page"},
      {{{"mode_pages", {{"2B", "2A 02 00 00"}}}},
       kWhere + ".mode_pages.2B: byte 0 does not hold the page code"},
      {{{"mode_pages", {{"3F", "3F 00"}}}},
       kWhere + ".mode_pages.3F: expected a page code 01 to 3E in hexadecimal"},
      {{{"disc", {{"blocks", 0}}}}, kWhere + ".disc.blocks: a disc holds at least one block"},
      {{{"disc", {{"tracks", 1}}}}, kWhere + ".disc.tracks: unknown key"},
      {{{"tray", "ajar"}}, kWhere + ".tray: expected \"open\" or \"closed\", got \"ajar\""},
      {{{"tray", ""}}, kWhere + ".tray: expected \"open\" or \"closed\", got \"\""},
      {{{"tray", true}}, kWhere + ".tray: expected a string"},
      {{{"disc", {{"blocks", 10}, {"atip", {{"lead_in", "1:2:3"}}}}}},
       kWhere + ".disc.atip.lead_in: expected a time \"MM:SS:FF\", got \"1:2:3\""},
      {{{"vendor_status", "01"}}, kWhere + ".vendor_status: expected 2 bytes"},
      {{{"vendor_status", "01 02 03"}}, kWhere + ".vendor_status: expected 2 bytes"},
      {{{"vendor_memory", json::array({{{"address", 0}}})}},
       kWhere + ".vendor_memory[0]: give exactly one of hex and ascii"},
      {json::array(), kWhere + ": expected an object"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.target), c.expected) << c.target.dump();
}

TEST(DeviceConfigParserTest, FieldsArePaddedOrKept) {
  const DeviceConfig config = ParseDeviceConfig({{"id", 3},
                                                 {"letter", "E"},
                                                 {"vendor", "ACME"},
                                                 {"product", std::string("cd-rom\0 x", 9)},
                                                 {"revision", std::string("v1\0"
                                                                          "2",
                                                                          4)},
                                                 {"peripheral", "0x85"}},
                                                kWhere);
  EXPECT_EQ(std::string(config.vendor.begin(), config.vendor.end()), "ACME    ");
  EXPECT_EQ(std::string(config.product.begin(), config.product.end()),
            std::string("cd-rom\0 x       ", 16));
  EXPECT_EQ(std::string(config.revision.begin(), config.revision.end()), std::string("v1\0"
                                                                                     "2",
                                                                                     4));
  EXPECT_EQ(config.peripheral, 0x85);
  EXPECT_EQ(config.maker, Maker::Other);
}

TEST(DeviceConfigParserTest, DefaultsAndFullDescription) {
  const DeviceConfig plain = ParseDeviceConfig(json::object(), kWhere);
  EXPECT_EQ(std::string(plain.vendor.begin(), plain.vendor.end()), "KORVEL  ");
  EXPECT_EQ(std::string(plain.product.begin(), plain.product.end()), "CD-ROM          ");
  EXPECT_EQ(std::string(plain.revision.begin(), plain.revision.end()), "1.00");
  EXPECT_EQ(plain.peripheral, 0x05);
  EXPECT_EQ(plain.maker, Maker::Korvel);
  EXPECT_EQ(plain.restartMs, 2500u);
  EXPECT_FALSE(plain.disc.has_value());

  const DeviceConfig full = ParseDeviceConfig(
      {{"faults",
        json::array(
            {{{"opcode", "0x3B"},
              {"mode", 4},
              {"occurrence", 10},
              {"status", 2},
              {"sense", "05/24/00"}},
             {{"opcode", "any"}, {"occurrence", 3}, {"and_later", true}, {"no_answer", true}}})},
       {"delay_ms", 5},
       {"restart_ms", "0x10"},
       {"memory", json::array({{{"address", "0x100198"}, {"ascii", "1.10"}}})},
       {"disc", {{"blocks", 1000}}}},
      kWhere);
  ASSERT_EQ(full.faults.size(), 2u);
  EXPECT_EQ(full.faults[0].opcode, 0x3B);
  EXPECT_EQ(full.faults[0].mode, 4);
  EXPECT_EQ(full.faults[0].occurrence, 10u);
  EXPECT_EQ(full.faults[0].sense, (SenseCode{0x05, 0x24, 0x00}));
  EXPECT_FALSE(full.faults[1].opcode.has_value());
  EXPECT_TRUE(full.faults[1].andLater);
  EXPECT_TRUE(full.faults[1].noAnswer);
  EXPECT_EQ(full.delayMs, 5u);
  EXPECT_EQ(full.restartMs, 16u);
  ASSERT_EQ(full.memory.size(), 1u);
  EXPECT_EQ(full.memory[0].address, 0x100198u);
  EXPECT_EQ(full.memory[0].bytes, (std::vector<std::uint8_t>{'1', '.', '1', '0'}));
  ASSERT_TRUE(full.disc.has_value());
  ASSERT_EQ(full.disc->tracks.size(), 1u);
  EXPECT_EQ(full.disc->tracks[0].mode, TrackMode::Mode1);
  EXPECT_EQ(full.disc->tracks[0].start, 0);
  EXPECT_EQ(full.disc->tracks[0].end, 1000);
  EXPECT_EQ(full.disc->sessions.back().leadOut, 1000);
}

}  // namespace
}  // namespace korvel::emulator
