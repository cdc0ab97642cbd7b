// The command log's line for one command: the data-out bytes of a data-out command (at most the
// first 256 in hex, with the whole length), and nothing of them for a data-in command.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <numeric>
#include <sstream>
#include <vector>

#include "platform/testing/NullPlatform.h"
#include "transport/CommandLog.h"

namespace korvel::transport {
namespace {

using nlohmann::json;

json Logged(const CommandLogEntry& entry) {
  platform::testing::NullKernel kernel;
  std::ostringstream text;
  CommandLog log(text, kernel);
  log.Record(entry);
  return json::parse(text.str());
}

std::string HexOfCountingBytes(std::size_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) text += ' ';
    text += kDigits[(i & 0xFF) >> 4];
    text += kDigits[i & 0x0F];
  }
  return text;
}

TEST(CommandLogTest, DataOutBytesUpTo256AndTheWholeLength) {
  const std::uint8_t cdb[6] = {0x15, 0, 0, 0, 0, 0};
  const struct {
    std::size_t length;
    std::size_t shown;
  } cases[] = {{0, 0}, {8, 8}, {255, 255}, {256, 256}, {257, 256}, {8196, 256}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> sent(c.length);
    std::iota(sent.begin(), sent.end(), std::uint8_t{0});
    CommandLogEntry entry;
    entry.cdb = cdb;
    entry.dataOut = true;
    entry.length = static_cast<std::uint32_t>(c.length);
    entry.dataOutBytes = sent;
    entry.status = 1;
    const json line = Logged(entry);
    EXPECT_EQ(line.at("direction"), c.length == 0 ? "none" : "out") << c.length;
    EXPECT_EQ(line.at("data_out"), HexOfCountingBytes(c.shown)) << c.length;
    EXPECT_EQ(line.at("data_out_length"), c.length);
  }
}

TEST(CommandLogTest, DirectionSaysWhichWayDataMovesOrThatNoneDoes) {
  const std::uint8_t cdb[6] = {0x00, 0, 0, 0, 0, 0};
  const struct {
    bool dataOut;
    std::uint32_t length;
    const char* direction;
  } cases[] = {{false, 0, "none"}, {true, 0, "none"}, {false, 36, "in"}, {true, 8, "out"}};
  for (const auto& c : cases) {
    CommandLogEntry entry;
    entry.cdb = cdb;
    entry.dataOut = c.dataOut;
    entry.length = c.length;
    EXPECT_EQ(Logged(entry).at("direction"), c.direction) << c.dataOut << ' ' << c.length;
  }
}

TEST(CommandLogTest, ADataInCommandHasNoDataOut) {
  const std::uint8_t cdb[6] = {0x1A, 0, 0x2A, 0, 34, 0};
  CommandLogEntry entry;
  entry.cdb = cdb;
  entry.length = 34;
  entry.status = 1;
  const json line = Logged(entry);
  EXPECT_EQ(line.at("cdb"), "1A 00 2A 00 22 00");
  EXPECT_FALSE(line.contains("data_out"));
  EXPECT_FALSE(line.contains("data_out_length"));
}

}  // namespace
}  // namespace korvel::transport
