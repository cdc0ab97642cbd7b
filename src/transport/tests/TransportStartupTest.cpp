#include <gtest/gtest.h>

#include <string>

#include "platform/testing/CaseNames.h"
#include "transport/TransportStartup.h"
#include "transport/tests/SimulatedPcFixture.h"

namespace korvel::transport {
namespace {

using testing::SimulatedPcFixture;

constexpr char kAspiTwoAdapters[] = R"({
  "os": "win98",
  "aspi": {"installed": true},
  "adapters": [
    {"id": 0, "driver": "vxscsi", "targets": [
      {"id": 2, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00"}]},
    {"id": 1, "driver": "qbscsi", "targets": [
      {"id": 1, "letter": "G", "vendor": "KORVEL", "product": "CD-R   RZ6120   ", "revision": "2.00"}]}
  ]})";

TEST(StartTransportTest, AspiWithTwoAdaptersKeepsTheSupportValueAndScansTheRegistry) {
  SimulatedPcFixture pc(kAspiTwoAdapters);
  EXPECT_EQ(StartTransport(*pc.transport), 0x0102);
  EXPECT_EQ(pc.state().HostAdapterCount, 2u);
  EXPECT_FALSE(pc.state().PassThroughMode);
  EXPECT_FALSE(pc.state().WindowsNtFlag);
  EXPECT_NE(pc.state().aspiLibrary, 0u);
  // The registry scan found both drives, each on the adapter that answers for it.
  ASSERT_EQ(pc.state().RegistryDriveCount, 2);
  EXPECT_STREQ(pc.state().RegistryDriveTable[0].deviceKey, "KORVEL__CD-R___RZ5140___");
  EXPECT_EQ(pc.state().RegistryDriveTable[0].adapter, 0);
  EXPECT_EQ(pc.state().RegistryDriveTable[0].target, 2);
  EXPECT_EQ(pc.state().RegistryDriveTable[0].driveIndex, 4);
  EXPECT_EQ(pc.state().RegistryDriveTable[1].adapter, 1);
  EXPECT_EQ(pc.state().RegistryDriveTable[1].driveIndex, 6);
}

// NT 4 with ASPI whose support value names no usable adapter, drive E: on port 0, and a
// hand-written 9x enumeration so that the registry scan can be seen to run.
std::string NtScenarioWithSupportInfo(const std::string& supportInfo) {
  return R"({
  "os": "nt4",
  "aspi": {"installed": true, "support_info": ")" +
         supportInfo + R"("},
  "adapters": [
    {"id": 0, "port": 0, "targets": [
      {"id": 2, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00"}]}
  ],
  "registry": {
    "HKEY_DYN_DATA\\Config Manager\\Enum\\C29A0020": {"HardWareKey": "SCSI\\KORVEL__CD-R___RZ5140___\\X"},
    "HKEY_LOCAL_MACHINE\\Enum\\SCSI\\KORVEL__CD-R___RZ5140___\\X":
      {"CurrentDriveLetterAssignment": "E", "SCSITargetID": "2"}
  }})";
}

struct FallbackCase {
  const char* supportInfo;
  const char* why;
};

void PrintTo(const FallbackCase& c, std::ostream* os) {
  case_names::PrintText(c.supportInfo, os);
}

class AspiFallbackTest : public ::testing::TestWithParam<FallbackCase> {};

TEST_P(AspiFallbackTest, EnumeratesThePassThroughAndStillScansTheRegistry) {
  SimulatedPcFixture pc(NtScenarioWithSupportInfo(GetParam().supportInfo));
  EXPECT_EQ(StartTransport(*pc.transport), 1) << GetParam().why;
  EXPECT_TRUE(pc.state().PassThroughMode);
  EXPECT_TRUE(pc.state().WindowsNtFlag);
  EXPECT_EQ(pc.state().HostAdapterCount, 1u);
  EXPECT_NE(pc.state().aspiLibrary, 0u) << "the library stays loaded after a fallback";
  EXPECT_EQ(pc.state().TargetHandleIndex[2], 0);
  EXPECT_EQ(pc.state().DriveLetterMap[2], 4);
  ASSERT_EQ(pc.state().RegistryDriveCount, 1);
  EXPECT_EQ(pc.state().RegistryDriveTable[0].target, 2);
}

INSTANTIATE_TEST_SUITE_P(SupportValues, AspiFallbackTest,
                         ::testing::Values(FallbackCase{"0x0100", "SS_COMP, no adapter"},
                                           FallbackCase{"0xE800", "SS_NO_ADAPTERS"},
                                           FallbackCase{"0xE402", "SS_FAILED_INIT"}));

TEST(StartTransportTest, WithoutTheLibraryUsesThePassThroughOfDriveEAtPort1Target3) {
  SimulatedPcFixture pc(R"({
    "os": "nt4",
    "adapters": [
      {"id": 0, "port": 0},
      {"id": 1, "port": 1, "targets": [
        {"id": 3, "letter": "E", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}
    ],
    "drives": {"C": "fixed", "D": "cdrom"}})");
  EXPECT_EQ(StartTransport(*pc.transport), 2);
  EXPECT_TRUE(pc.state().PassThroughMode);
  EXPECT_EQ(pc.state().HostAdapterCount, 0u);
  EXPECT_EQ(pc.state().RegistryDriveCount, 0);
  for (int slot = 0; slot < kAddressSlots; ++slot) {
    EXPECT_EQ(pc.state().TargetHandleIndex[slot], slot == 19 ? 0 : -1) << slot;
    EXPECT_EQ(pc.state().DriveLetterMap[slot], slot == 19 ? 4 : -1) << slot;
  }
  // D: is a CD-ROM volume that cannot tell its SCSI address: it is skipped, so the handle in
  // entry 0 is the one opened on E:, and a command to (1, 3) reaches that drive.
  EXPECT_NE(pc.state().DriveHandleTable[0], platform::INVALID_HANDLE_VALUE);
  const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
  std::uint8_t data[36] = {};
  ASSERT_EQ(pc.transport->ExecuteCommand(1, 3, inquiry, data, 36), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 16), 16), "CD-ROM          ");
}

TEST(StartTransportTest, APortListMustStartAtPort0) {
  SimulatedPcFixture pc(R"({
    "os": "nt4",
    "adapters": [{"id": 0, "port": 1, "targets": [
      {"id": 3, "letter": "E", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})");
  EXPECT_EQ(StartTransport(*pc.transport), 0);
  EXPECT_TRUE(pc.state().PassThroughMode) << "drives were found, so the mode is set";
}

TEST(StartTransportTest, CdRomDrivesOnlyAtAOrBAreNotLookedAt) {
  SimulatedPcFixture pc(R"({"os": "nt4", "drives": {"A": "cdrom", "B": "cdrom"}})");
  EXPECT_EQ(StartTransport(*pc.transport), 0);
  EXPECT_FALSE(pc.state().PassThroughMode);
  for (const std::string& name : pc.deviceIo.opened) {
    EXPECT_NE(name, "\\\\.\\A:");
    EXPECT_NE(name, "\\\\.\\B:");
  }
}

TEST(StartTransportTest, ALibraryWithoutBothEntriesIsReleasedAndThePassThroughTried) {
  SimulatedPcFixture pc(R"({
    "os": "nt4",
    "aspi": {"installed": true, "entries": ["SendASPI32Command"]},
    "adapters": [{"id": 0, "port": 0, "targets": [
      {"id": 5, "letter": "F", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})");
  EXPECT_EQ(StartTransport(*pc.transport), 1);
  EXPECT_EQ(pc.kernel.librariesFreed, 1);
  EXPECT_EQ(pc.state().aspiLibrary, 0u);
  EXPECT_EQ(pc.state().DriveLetterMap[5], 5);
  EXPECT_EQ(StopTransport(*pc.transport), 0);
  EXPECT_EQ(pc.kernel.librariesFreed, 1) << "nothing left to release";
}

TEST(StartTransportTest, PortsAbove7AreNotOpenedAndTheirDrivesStayOutOfTheTables) {
  std::string adapters;
  for (int port = 0; port < 10; ++port) {
    if (!adapters.empty()) adapters += ",";
    adapters += R"({"id": )" + std::to_string(port) + R"(, "port": )" + std::to_string(port) +
                R"(, "targets": [{"id": 1, "letter": ")" + std::string(1, char('E' + port)) +
                R"(", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]})";
  }
  SimulatedPcFixture pc(R"({"os": "nt4", "adapters": [)" + adapters + "]}");
  EXPECT_EQ(StartTransport(*pc.transport), 8);
  int recorded = 0;
  for (int slot = 0; slot < kAddressSlots; ++slot) {
    if (pc.state().TargetHandleIndex[slot] != -1) ++recorded;
  }
  EXPECT_EQ(recorded, 8);
  EXPECT_EQ(pc.state().DriveLetterMap[7 * 16 + 1], 4 + 7);
  EXPECT_EQ(pc.state().PortHandleTable[8], platform::INVALID_HANDLE_VALUE);
  EXPECT_EQ(pc.state().PortHandleTable[9], platform::INVALID_HANDLE_VALUE);
}

TEST(StopTransportTest, ReleasesTheLibraryOnceAndRefusesAspiCommandsAfterwards) {
  SimulatedPcFixture pc(kAspiTwoAdapters);
  ASSERT_EQ(StartTransport(*pc.transport), 0x0102);
  EXPECT_EQ(StopTransport(*pc.transport), 0);
  EXPECT_EQ(StopTransport(*pc.transport), 0);
  EXPECT_EQ(pc.kernel.librariesFreed, 1);
  const std::uint8_t testUnitReady[6] = {};
  EXPECT_NE(pc.transport->ExecuteCommand(0, 2, testUnitReady, nullptr, 0), 1);
}

TEST(StopTransportTest, IsHarmlessAfterAFailedStart) {
  SimulatedPcFixture pc(R"({"os": "win95"})");
  EXPECT_EQ(StartTransport(*pc.transport), 0);
  EXPECT_EQ(StopTransport(*pc.transport), 0);
  EXPECT_EQ(StopTransport(*pc.transport), 0);
  EXPECT_EQ(pc.kernel.librariesFreed, 0);
}

}  // namespace
}  // namespace korvel::transport
