#include <gtest/gtest.h>

#include <string>

#include "platform/testing/CaseNames.h"
#include "transport/DriveLetters.h"
#include "transport/HostAdapterInquiry.h"
#include "transport/RegistryScan.h"
#include "transport/TransportStartup.h"
#include "transport/tests/SimulatedPcFixture.h"

namespace korvel::transport {
namespace {

using testing::SimulatedPcFixture;

// A Windows 98 PC with ASPI whose registry is written out by hand: `enumKeys` are the
// Config Manager subkeys (name: hardware key), `devices` the Enum\SCSI keys with their values.
std::string Win98WithRegistry(const std::string& targets, const std::string& registry) {
  return R"({"os": "win98", "aspi": {"installed": true},
    "adapters": [{"id": 0, "targets": [)" +
         targets + R"(]}, {"id": 1, "targets": [
      {"id": 4, "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00"}]}],
    "registry": {)" +
         registry + "}}";
}

constexpr char kRz5140Key[] = "KORVEL__CD-R___RZ5140___";

std::string EnumEntry(const std::string& node, const std::string& hardwareKey) {
  std::string escaped;
  for (char c : hardwareKey) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return R"("HKEY_DYN_DATA\\Config Manager\\Enum\\)" + node + R"(": {"HardWareKey": ")" + escaped +
         R"("})";
}

std::string DeviceEntry(const std::string& device, const std::string& instance,
                        const std::string& values) {
  return R"("HKEY_LOCAL_MACHINE\\Enum\\SCSI\\)" + device + R"(\\)" + instance + R"(": {)" + values +
         "}";
}

TEST(ScanConfigManagerEnumTest, FindsTheDriveByItsDevicePartLetterAndAnsweringAdapter) {
  // The device part has 28 characters: the 24 of the device key and 4 more.
  const std::string device = std::string(kRz5140Key) + "0A1B";
  SimulatedPcFixture pc(Win98WithRegistry(
      "", EnumEntry("C29A0010", "SCSI\\" + device + "\\HA1&T4") + "," +
              DeviceEntry(device, "HA1&T4",
                          R"("CurrentDriveLetterAssignment": "E", "SCSITargetID": "4")")));
  ASSERT_EQ(StartTransport(*pc.transport), 0x0102);
  ASSERT_EQ(pc.state().RegistryDriveCount, 1);
  const RegistryDriveEntry& entry = pc.state().RegistryDriveTable[0];
  EXPECT_STREQ(entry.deviceKey, kRz5140Key);
  EXPECT_EQ(entry.adapter, 1);
  EXPECT_EQ(entry.target, 4);
  EXPECT_EQ(entry.driveIndex, 4);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 1, 4), 4);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 0, 4), 2);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 9, 40), 2) << "no slot, no entry: drive C";
}

struct SkippedEntryCase {
  const char* name;
  std::string hardwareKey;
  std::string values;
};

void PrintTo(const SkippedEntryCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class SkippedRegistryEntryTest : public ::testing::TestWithParam<SkippedEntryCase> {};

TEST_P(SkippedRegistryEntryTest, MakesNoEntry) {
  const SkippedEntryCase& c = GetParam();
  SimulatedPcFixture pc(Win98WithRegistry(
      "", EnumEntry("C29A0010", c.hardwareKey) + "," + DeviceEntry(kRz5140Key, "X", c.values)));
  StartTransport(*pc.transport);
  EXPECT_EQ(pc.state().RegistryDriveCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SkippedRegistryEntryTest,
    ::testing::Values(
        SkippedEntryCase{"MakerWordInOtherCase", "SCSI\\Korvel__CD-R___RZ5140___\\X",
                         R"("CurrentDriveLetterAssignment": "E", "SCSITargetID": "4")"},
        SkippedEntryCase{"NoInstancePart", "SCSI\\KORVEL__CD-R___RZ5140___",
                         R"("CurrentDriveLetterAssignment": "E", "SCSITargetID": "4")"},
        SkippedEntryCase{"DriveLetterA", "SCSI\\KORVEL__CD-R___RZ5140___\\X",
                         R"("CurrentDriveLetterAssignment": "A", "SCSITargetID": "4")"},
        SkippedEntryCase{"NoDriveLetter", "SCSI\\KORVEL__CD-R___RZ5140___\\X",
                         R"("SCSITargetID": "4")"},
        SkippedEntryCase{"NoTargetId", "SCSI\\KORVEL__CD-R___RZ5140___\\X",
                         R"("CurrentDriveLetterAssignment": "E")"},
        SkippedEntryCase{"TargetIdNotHexadecimal", "SCSI\\KORVEL__CD-R___RZ5140___\\X",
                         R"("CurrentDriveLetterAssignment": "E", "SCSITargetID": "Z")"}),
    [](const ::testing::TestParamInfo<SkippedEntryCase>& info) { return info.param.name; });

struct TargetIdCase {
  const char* text;
  int target;
};

void PrintTo(const TargetIdCase& c, std::ostream* os) {
  case_names::PrintText(c.text, os);
}

class ReadEnumDriveLetterTest : public ::testing::TestWithParam<TargetIdCase> {};

TEST_P(ReadEnumDriveLetterTest, ReadsTheTargetIdAsOneHexadecimalDigit) {
  SimulatedPcFixture pc(Win98WithRegistry(
      "", DeviceEntry(kRz5140Key, "I",
                      std::string(R"("CurrentDriveLetterAssignment": "g", "SCSITargetID": ")") +
                          GetParam().text + "\"")));
  int target = 99;
  EXPECT_EQ(ReadEnumDriveLetter(*pc.transport, kRz5140Key, "I", target), 6);
  EXPECT_EQ(target, GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Digits, ReadEnumDriveLetterTest,
                         ::testing::Values(TargetIdCase{"b", 11}, TargetIdCase{"B", 11},
                                           TargetIdCase{"9", 9}, TargetIdCase{"0", 0},
                                           TargetIdCase{"F", 15}, TargetIdCase{"G", -1},
                                           TargetIdCase{"", -1}));

TEST(ReadEnumDriveLetterTest, LeavesTheTargetAloneWithoutADriveLetter) {
  SimulatedPcFixture pc(
      Win98WithRegistry("", DeviceEntry(kRz5140Key, "I", R"("SCSITargetID": "3")")));
  int target = 99;
  EXPECT_EQ(ReadEnumDriveLetter(*pc.transport, kRz5140Key, "I", target), 0);
  EXPECT_EQ(target, 99);
  EXPECT_EQ(ReadEnumDriveLetter(*pc.transport, "NO_SUCH_DEVICE", "I", target), 0);
}

TEST(ScanConfigManagerEnumTest, TwoDrivesOfOneModelAtOneTargetTakeDifferentAdapters) {
  SimulatedPcFixture pc(R"({"os": "win98", "aspi": {"installed": true}, "adapters": [
    {"id": 0, "targets": [{"id": 0, "letter": "E", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]},
    {"id": 1, "targets": [{"id": 0, "letter": "F", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})");
  ASSERT_EQ(StartTransport(*pc.transport), 0x0102);
  ASSERT_EQ(pc.state().RegistryDriveCount, 2);
  EXPECT_EQ(pc.state().RegistryDriveTable[0].adapter, 0);
  EXPECT_EQ(pc.state().RegistryDriveTable[0].driveIndex, 4);
  EXPECT_EQ(pc.state().RegistryDriveTable[1].adapter, 1);
  EXPECT_EQ(pc.state().RegistryDriveTable[1].driveIndex, 5);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 0, 0), 4);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 1, 0), 5);
}

TEST(ScanConfigManagerEnumTest, KeepsTheFirst26DrivesOfALongerList) {
  std::string registry;
  for (int i = 0; i < 30; ++i) {
    const std::string instance = "I" + std::to_string(i);
    if (!registry.empty()) registry += ",";
    registry += EnumEntry("N" + std::to_string(100 + i),
                          std::string("SCSI\\") + kRz5140Key + "\\" + instance) +
                "," +
                DeviceEntry(kRz5140Key, instance,
                            R"("CurrentDriveLetterAssignment": "E", "SCSITargetID": "4")");
  }
  SimulatedPcFixture pc(Win98WithRegistry("", registry));
  StartTransport(*pc.transport);
  EXPECT_EQ(pc.state().RegistryDriveCount, kMaxRegistryDrives);
  // Only one drive answers at target 4, so only the first entry claims its adapter.
  EXPECT_EQ(pc.state().RegistryDriveTable[0].adapter, 1);
  EXPECT_EQ(pc.state().RegistryDriveTable[1].adapter, 0);
}

constexpr char kNtWithAspiPairing[] = R"({"os": "nt4", "aspi": {"installed": true}, "adapters": [
    {"id": 0, "port": 0, "driver": "aic78xx", "targets": [
      {"id": 2, "letter": "E", "vendor": "ACME", "product": "CD-ROM CX-400", "revision": "1.2A"}]},
    {"id": 1, "port": 1, "driver": "AIC78XX", "targets": [
      {"id": 0, "letter": "F", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})";

TEST(DriveLetterOfTest, PairsAspiAdaptersWithNtPortsOfTheSameDriver) {
  SimulatedPcFixture pc(kNtWithAspiPairing);
  ASSERT_EQ(StartTransport(*pc.transport), 0x0102);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 1, 0), 5);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 0, 2), 4);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 0, 0), 2) << "no drive there: drive C";
  EXPECT_EQ(DriveLetterOf(*pc.transport, 8, 0), 2) << "no slot: drive C";
}

TEST(DriveLetterOfTest, BuildsTheNtMapOnlyOnce) {
  SimulatedPcFixture pc(kNtWithAspiPairing);
  ASSERT_EQ(StartTransport(*pc.transport), 0x0102);
  ASSERT_EQ(DriveLetterOf(*pc.transport, 1, 0), 5);
  EXPECT_TRUE(pc.state().LetterMapBuilt);
  pc.state().DriveLetterMap[16] = 9;  // a rebuild would put 5 back
  EXPECT_EQ(DriveLetterOf(*pc.transport, 1, 0), 9);
}

TEST(DriveLetterOfTest, InPassThroughModeGivesTheRecordedLetterOrMinusOne) {
  SimulatedPcFixture pc(R"({"os": "win2000", "adapters": [{"id": 0, "port": 0, "targets": [
      {"id": 3, "letter": "K", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})");
  ASSERT_EQ(StartTransport(*pc.transport), 1);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 0, 3), 10);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 0, 4), -1);
  EXPECT_EQ(DriveLetterOf(*pc.transport, 200, 200), -1);
}

TEST(BuildDriveLetterMapTest, LeavesOutDrivesOnPortsWithoutAnAdapter) {
  // Port 1's driver names no ASPI adapter, and port 2 has none left to take.
  SimulatedPcFixture pc(R"({"os": "nt4", "aspi": {"installed": true, "support_info": "0x0101"},
    "adapters": [
    {"id": 0, "port": 0, "driver": "aic78xx"},
    {"id": 1, "port": 1, "driver": "atapi", "targets": [
      {"id": 0, "letter": "E", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]},
    {"id": 2, "port": 2, "driver": "aic78xx", "targets": [
      {"id": 1, "letter": "F", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})");
  ASSERT_EQ(StartTransport(*pc.transport), 0x0101);
  EXPECT_EQ(BuildDriveLetterMap(*pc.transport), 0);
  for (int slot = 0; slot < kAddressSlots; ++slot) {
    EXPECT_EQ(pc.state().DriveLetterMap[slot], 2) << slot;
  }
}

TEST(HostAdapterInquiryTest, AspiCopiesTheIdentityFieldsWithTheirTerminators) {
  SimulatedPcFixture pc(kNtWithAspiPairing);
  ASSERT_EQ(StartTransport(*pc.transport), 0x0102);
  HostAdapterIdentity identity;
  EXPECT_EQ(HostAdapterInquiry(*pc.transport, 1, identity), 1);
  EXPECT_STREQ(identity.identifier, "AIC78XX");
  EXPECT_EQ(identity.hostScsiId, 7);
}

TEST(HostAdapterInquiryTest, PassThroughCutsALongDriverNameAndNamesNoManager) {
  SimulatedPcFixture pc(R"({"os": "nt4", "adapters": [{"id": 0, "port": 0, "host_id": 6,
    "driver": "averyveryverylongminiport", "targets": [
      {"id": 3, "letter": "K", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})");
  ASSERT_EQ(StartTransport(*pc.transport), 1);
  HostAdapterIdentity identity;
  EXPECT_EQ(HostAdapterInquiry(*pc.transport, 0, identity), 1);
  EXPECT_STREQ(identity.identifier, "averyveryverylon");
  EXPECT_STREQ(identity.manager, "N/A");
  EXPECT_EQ(identity.hostScsiId, 6);
  EXPECT_EQ(ScsiPortDriverName(*pc.transport, 0), "averyveryverylongminiport");
  EXPECT_EQ(ScsiPortDriverName(*pc.transport, 5), "unknown");
  EXPECT_EQ(HostAdapterInquiry(*pc.transport, 200, identity), 1) << "no port: nothing asked";
}

}  // namespace
}  // namespace korvel::transport
