// One NT SCSI port with two buses that both use target ID 3. The scan reads bus 0 only, so the
// commands for (port, 3) must reach the drive on bus 0, never the other one with a later drive
// letter: a file checked for one model would otherwise be sent to another.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "transport/TransportStartup.h"
#include "transport/tests/SimulatedPcFixture.h"

namespace korvel::transport {
namespace {

using testing::SimulatedPcFixture;

std::string TwoBusScenario() {
  // The scenario shipped for users; the test reads it when the source tree is known.
  if (const char* source = std::getenv("KORVEL_SOURCE_DIR")) {
    std::ifstream in(std::string(source) + "/scenarios/nt4-two-buses.json");
    std::ostringstream text;
    text << in.rdbuf();
    if (!text.str().empty()) return text.str();
  }
  return R"({"os": "nt4", "aspi": {"installed": false}, "adapters": [
    {"id": 0, "port": 0, "driver": "dualbus", "host_id": 7, "targets": [
      {"id": 3, "bus": 0, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ",
       "revision": "1.00"},
      {"id": 3, "bus": 1, "letter": "F", "vendor": "KORVEL", "product": "CD-R   RZ6120   ",
       "revision": "2.00"},
      {"id": 5, "bus": 1, "letter": "G", "vendor": "KORVEL", "product": "CD-ROM          ",
       "revision": "3.00"}]}],
    "drives": {"A": "removable", "C": "fixed", "D": "fixed"}})";
}

std::string ProductAnswering(ScsiTransport& transport, std::uint8_t target) {
  const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
  std::uint8_t data[36] = {};
  if (transport.ExecuteCommand(0, target, inquiry, data, sizeof data) != 1) return "(failed)";
  return std::string(reinterpret_cast<const char*>(data) + 16, 16);
}

TEST(TwoBusesTest, CommandsGoToTheDriveTheScanShows) {
  SimulatedPcFixture pc(TwoBusScenario());
  ASSERT_NE(StartTransport(*pc.transport), 0);
  ASSERT_TRUE(pc.state().PassThroughMode);

  char vendor[9] = {};
  char product[17] = {};
  char revision[5] = {};
  ASSERT_EQ(pc.transport->PassThroughInquiry(0, 3, vendor, product, revision) & 0xFF, 1);
  EXPECT_STREQ(product, "CD-R   RZ5140   ");
  EXPECT_EQ(ProductAnswering(*pc.transport, 3), "CD-R   RZ5140   ");
  EXPECT_EQ(pc.state().DriveLetterMap[3], 'E' - 'A');

  // A drive only on bus 1 is found by no scan; no command reaches it either.
  EXPECT_EQ(pc.transport->PassThroughInquiry(0, 5, vendor, product, revision), 0);
  EXPECT_EQ(pc.state().TargetHandleIndex[5], -1);
  EXPECT_EQ(ProductAnswering(*pc.transport, 5), "(failed)");
}

}  // namespace
}  // namespace korvel::transport
