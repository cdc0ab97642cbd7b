#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "ScriptedDevice.h"
#include "emulator/VirtualClock.h"
#include "platform/NtScsiRecords.h"
#include "platform/testing/CaseNames.h"

namespace korvel::platform::sim {
namespace {

using testing::CheckCondition;
using testing::DeviceShelf;
using testing::Good;
using testing::NoAnswer;
using testing::ScenarioOf;

// Port 1 (ASPI adapter 0) holds E: at target 3 (two logical units) and a bus-1 device at
// target 6; port 0 holds G: at target 1 and a device that does not answer.
std::string NtPc(const char* os = "nt4") {
  return std::string(R"({"os":")") + os + R"(", "drives":{"C":"fixed","D":"cdrom"},
    "adapters":[
      {"id":0,"port":1,"driver":"vxscsi","host_id":7,"targets":[
        {"id":3,"letter":"E","luns":2,"vendor":"KORVEL","product":"CD-R   RZ5140   ","revision":"1.00"},
        {"id":6,"bus":1,"vendor":"ACME","product":"TAPE","peripheral":1}]},
      {"id":1,"port":0,"driver":"qbscsi","host_id":6,"targets":[
        {"id":1,"letter":"G","vendor":"KORVEL","product":"CD-R   RZ6120   ","revision":"2.00"},
        {"id":4,"vendor":"KORVEL","product":"CD-ROM          "}]}]})";
}

struct NtFixture {
  explicit NtFixture(const std::string& json = NtPc()) : pc(Boot(json)) {}
  SimulatedPc Boot(const std::string& json) {
    shelf.Silence(1, 4);
    return SimulatedPc(ScenarioOf(json), clock, shelf.Maker());
  }
  HANDLE Open(const char* name) {
    return pc.deviceIo().CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                     OPEN_EXISTING, 0);
  }
  DeviceShelf shelf;
  emulator::VirtualClock clock;
  SimulatedPc pc;
};

struct DriveTypeCase {
  const char* root;
  UINT type;
};

void PrintTo(const DriveTypeCase& c, std::ostream* os) {
  case_names::PrintText(c.root, os);
}

class DriveTypeTest : public ::testing::TestWithParam<DriveTypeCase> {};

TEST_P(DriveTypeTest, AnswersPerLetterOnEveryWindows) {
  for (const char* os : {"nt4", "win98"}) {
    NtFixture f(NtPc(os));
    EXPECT_EQ(f.pc.deviceIo().GetDriveTypeA(GetParam().root), GetParam().type)
        << os << " " << GetParam().root;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, DriveTypeTest,
                         ::testing::Values(DriveTypeCase{"E:\\", DRIVE_CDROM},
                                           DriveTypeCase{"g:\\", DRIVE_CDROM},
                                           DriveTypeCase{"C:\\", DRIVE_FIXED},
                                           DriveTypeCase{"D:\\", DRIVE_CDROM},
                                           DriveTypeCase{"F:\\", DRIVE_NO_ROOT_DIR},
                                           DriveTypeCase{"E:", DRIVE_NO_ROOT_DIR},
                                           DriveTypeCase{"1:\\", DRIVE_NO_ROOT_DIR}));

struct OpenCase {
  const char* os;
  const char* name;
  bool opens;
};

void PrintTo(const OpenCase& c, std::ostream* os) {
  *os << c.os << " " << c.name;
}

class DeviceOpenTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(DeviceOpenTest, OpensDriveAndPortNamesOnWindowsNtOnly) {
  NtFixture f(NtPc(GetParam().os));
  HANDLE handle = f.Open(GetParam().name);
  EXPECT_EQ(handle != INVALID_HANDLE_VALUE, GetParam().opens) << GetParam().name;
  if (!GetParam().opens) {
    EXPECT_EQ(f.pc.deviceIo().GetLastError(), ERROR_FILE_NOT_FOUND);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceOpenTest,
    ::testing::Values(OpenCase{"nt4", "\\\\.\\E:", true}, OpenCase{"win2000", "\\\\.\\e:", true},
                      OpenCase{"nt4", "\\\\.\\C:", true}, OpenCase{"nt4", "\\\\.\\F:", false},
                      OpenCase{"nt4", "\\\\.\\SCSI0:", true},
                      OpenCase{"nt4", "\\\\.\\scsi1:", true},
                      OpenCase{"nt4", "\\\\.\\SCSI2:", false},
                      OpenCase{"nt4", "\\\\.\\SCSI:", false}, OpenCase{"win98", "\\\\.\\E:", false},
                      OpenCase{"win95", "\\\\.\\SCSI0:", false}));

PassThroughRecord Record(std::initializer_list<BYTE> cdb, BYTE dataIn, DWORD length,
                         Address32 buffer) {
  PassThroughRecord record{};
  record.spt.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
  record.spt.TargetId = 1;
  record.spt.CdbLength = static_cast<BYTE>(cdb.size());
  record.spt.SenseInfoLength = 32;
  record.spt.DataIn = dataIn;
  record.spt.DataTransferLength = length;
  record.spt.TimeOutValue = 108000;
  record.spt.DataBuffer = buffer;
  record.spt.SenseInfoOffset = offsetof(PassThroughRecord, SenseBuf);
  std::copy(cdb.begin(), cdb.end(), record.spt.Cdb);
  return record;
}

TEST(PassThroughTest, GoodStatusMovesTheDataInTheGivenDirection) {
  NtFixture f;
  HANDLE drive = f.Open("\\\\.\\E:");
  std::array<BYTE, 10> buffer{9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  MappedBuffer mapped(f.pc.memory(), buffer.data(), buffer.size());
  PassThroughRecord record =
      Record({0x3B, 4, 0, 0, 0, 0, 0, 0, 10, 0}, SCSI_IOCTL_DATA_OUT, 10, mapped.address());
  record.spt.ScsiStatus = 0xEE;
  DWORD returned = 0;
  ASSERT_EQ(f.pc.deviceIo().DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                            sizeof record, &record, sizeof record, &returned),
            TRUE);
  EXPECT_EQ(record.spt.ScsiStatus, 0);
  EXPECT_EQ(returned, sizeof(SCSI_PASS_THROUGH_DIRECT));
  auto seen = f.shelf.At(0, 3).seen().back();
  EXPECT_EQ(seen.cdb, (std::vector<BYTE>{0x3B, 4, 0, 0, 0, 0, 0, 0, 10, 0}));
  EXPECT_EQ(seen.direction, emulator::Direction::Out);
  EXPECT_EQ(seen.dataOut, std::vector<BYTE>(buffer.begin(), buffer.end()));
}

TEST(PassThroughTest, CheckConditionSetsScsiStatusAndSenseAtTheOffset) {
  NtFixture f;
  HANDLE drive = f.Open("\\\\.\\E:");
  f.shelf.At(0, 3).Answer(CheckCondition(0x05, 0x24, 0x00));
  PassThroughRecord record = Record({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_IN, 0, 0);
  std::memset(record.SenseBuf, 0xEE, sizeof record.SenseBuf);
  DWORD returned = 0;
  ASSERT_EQ(f.pc.deviceIo().DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                            sizeof record, &record, sizeof record, &returned),
            TRUE);
  EXPECT_EQ(record.spt.ScsiStatus, 2);
  EXPECT_EQ(returned, 48u + 18u);
  const BYTE sense[18] = {0x70, 0xA1, 0x05, 0xA3, 0xA4, 0xA5, 0xA6, 10,   0xA8,
                          0xA9, 0xAA, 0xAB, 0x24, 0x00, 0xAE, 0xAF, 0xB0, 0xB1};
  EXPECT_EQ(0, std::memcmp(record.SenseBuf, sense, sizeof sense));
  for (std::size_t i = 18; i < sizeof record.SenseBuf; ++i) EXPECT_EQ(record.SenseBuf[i], 0xEE);
}

TEST(PassThroughTest, ShortSenseLengthCopiesOnlyThatMuch) {
  NtFixture f;
  HANDLE drive = f.Open("\\\\.\\E:");
  f.shelf.At(0, 3).Answer(CheckCondition(0x02, 0x3A, 0x00));
  PassThroughRecord record = Record({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_IN, 0, 0);
  record.spt.SenseInfoLength = 4;
  DWORD returned = 0;
  ASSERT_EQ(f.pc.deviceIo().DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                            sizeof record, &record, sizeof record, &returned),
            TRUE);
  const BYTE sense[6] = {0x70, 0xA1, 0x02, 0xA3, 0x00, 0x00};
  EXPECT_EQ(0, std::memcmp(record.SenseBuf, sense, sizeof sense));
}

TEST(PassThroughTest, NoAnswerFailsTheRequestWithATimeout) {
  NtFixture f;
  HANDLE drive = f.Open("\\\\.\\E:");
  f.shelf.At(0, 3).Answer(NoAnswer());
  PassThroughRecord record = Record({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_IN, 0, 0);
  DWORD returned = 0;
  EXPECT_EQ(f.pc.deviceIo().DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                            sizeof record, &record, sizeof record, &returned),
            FALSE);
  EXPECT_EQ(f.pc.deviceIo().GetLastError(), ERROR_SEM_TIMEOUT);
}

struct BadRequestCase {
  const char* name;
  void (*spoil)(PassThroughRecord&, DWORD& inSize, DWORD& outSize);
  DWORD error;
};

void PrintTo(const BadRequestCase& c, std::ostream* os) {
  *os << c.name;
}

class PassThroughRefusalTest : public ::testing::TestWithParam<BadRequestCase> {};

TEST_P(PassThroughRefusalTest, RefusesBeforeSendingAnything) {
  NtFixture f;
  HANDLE drive = f.Open("\\\\.\\E:");
  std::array<BYTE, 8> buffer{};
  MappedBuffer mapped(f.pc.memory(), buffer.data(), buffer.size());
  PassThroughRecord record = Record({0x12, 0, 0, 0, 8, 0}, SCSI_IOCTL_DATA_IN, 8, mapped.address());
  DWORD inSize = sizeof record, outSize = sizeof record, returned = 0;
  GetParam().spoil(record, inSize, outSize);
  EXPECT_EQ(f.pc.deviceIo().DeviceIoControl(drive, IOCTL_SCSI_PASS_THROUGH_DIRECT, &record, inSize,
                                            &record, outSize, &returned),
            FALSE);
  EXPECT_EQ(f.pc.deviceIo().GetLastError(), GetParam().error);
  EXPECT_EQ(f.pc.bus().CommandCount(0, 3), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PassThroughRefusalTest,
    ::testing::Values(
        BadRequestCase{"short input", [](PassThroughRecord&, DWORD& in, DWORD&) { in = 40; },
                       ERROR_INSUFFICIENT_BUFFER},
        BadRequestCase{"short output", [](PassThroughRecord&, DWORD&, DWORD& out) { out = 43; },
                       ERROR_INSUFFICIENT_BUFFER},
        BadRequestCase{"sense past the output",
                       [](PassThroughRecord&, DWORD&, DWORD& out) { out = 79; },
                       ERROR_INVALID_PARAMETER},
        BadRequestCase{"sense over the request",
                       [](PassThroughRecord& r, DWORD&, DWORD&) { r.spt.SenseInfoOffset = 20; },
                       ERROR_INVALID_PARAMETER},
        BadRequestCase{"wrong length",
                       [](PassThroughRecord& r, DWORD&, DWORD&) { r.spt.Length = 48; },
                       ERROR_INVALID_PARAMETER},
        BadRequestCase{"no CDB", [](PassThroughRecord& r, DWORD&, DWORD&) { r.spt.CdbLength = 0; },
                       ERROR_INVALID_PARAMETER},
        BadRequestCase{"bad direction",
                       [](PassThroughRecord& r, DWORD&, DWORD&) { r.spt.DataIn = 3; },
                       ERROR_INVALID_PARAMETER},
        BadRequestCase{"buffer not lent",
                       [](PassThroughRecord& r, DWORD&, DWORD&) { r.spt.DataBuffer = 0x7000'0000; },
                       ERROR_INVALID_PARAMETER},
        BadRequestCase{"longer than the buffer",
                       [](PassThroughRecord& r, DWORD&, DWORD&) { r.spt.DataTransferLength = 9; },
                       ERROR_INVALID_PARAMETER}),
    case_names::FromMember<&BadRequestCase::name>{});

TEST(DeviceIoTest, ControlsOnTheWrongKindOfHandleAreInvalidFunctions) {
  NtFixture f;
  HANDLE drive = f.Open("\\\\.\\E:");
  HANDLE port = f.Open("\\\\.\\SCSI1:");
  HANDLE volume = f.Open("\\\\.\\C:");
  std::array<BYTE, 4096> buffer{};
  PassThroughRecord record = Record({0x00, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_IN, 0, 0);
  DWORD returned = 0;
  struct {
    HANDLE handle;
    DWORD code;
  } wrong[] = {{port, IOCTL_SCSI_PASS_THROUGH_DIRECT}, {volume, IOCTL_SCSI_PASS_THROUGH_DIRECT},
               {port, IOCTL_SCSI_GET_ADDRESS},         {volume, IOCTL_SCSI_GET_ADDRESS},
               {drive, IOCTL_SCSI_GET_INQUIRY_DATA},   {drive, 0x00070000}};
  for (const auto& w : wrong) {
    void* out =
        w.code == IOCTL_SCSI_PASS_THROUGH_DIRECT ? static_cast<void*>(&record) : buffer.data();
    DWORD size = w.code == IOCTL_SCSI_PASS_THROUGH_DIRECT ? sizeof record : 4096;
    EXPECT_EQ(f.pc.deviceIo().DeviceIoControl(w.handle, w.code, out, size, out, size, &returned),
              FALSE);
    EXPECT_EQ(f.pc.deviceIo().GetLastError(), ERROR_INVALID_FUNCTION) << std::hex << w.code;
  }
  EXPECT_EQ(f.pc.deviceIo().DeviceIoControl(0x1234, IOCTL_SCSI_GET_ADDRESS, nullptr, 0,
                                            buffer.data(), 4096, &returned),
            FALSE);
  EXPECT_EQ(f.pc.deviceIo().GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(DeviceIoTest, GetAddressNamesThePortAndTargetOfTheLetter) {
  NtFixture f;
  struct {
    const char* name;
    SCSI_ADDRESS address;
  } cases[] = {{"\\\\.\\E:", {8, 1, 0, 3, 0}}, {"\\\\.\\G:", {8, 0, 0, 1, 0}}};
  for (const auto& c : cases) {
    std::array<BYTE, 4096> buffer{};
    DWORD returned = 0;
    ASSERT_EQ(f.pc.deviceIo().DeviceIoControl(f.Open(c.name), IOCTL_SCSI_GET_ADDRESS, nullptr, 0,
                                              buffer.data(), 4096, &returned),
              TRUE);
    EXPECT_EQ(returned, 8u);
    EXPECT_EQ(0, std::memcmp(buffer.data(), &c.address, sizeof c.address)) << c.name;
  }
  SCSI_ADDRESS small[1];
  EXPECT_EQ(f.pc.deviceIo().DeviceIoControl(f.Open("\\\\.\\E:"), IOCTL_SCSI_GET_ADDRESS, nullptr, 0,
                                            small, 7, nullptr),
            FALSE);
  EXPECT_EQ(f.pc.deviceIo().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

struct Entry {
  BYTE pathId, targetId, lun;
  BYTE peripheral;
  std::string vendorProduct;
};

// Walks one bus's chain as a reader of the reply would.
std::vector<Entry> Chain(const std::array<BYTE, 4096>& reply, std::size_t bus) {
  SCSI_BUS_DATA busData;
  std::memcpy(&busData,
              reply.data() + offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + bus * sizeof busData,
              sizeof busData);
  std::vector<Entry> entries;
  for (DWORD offset = busData.InquiryDataOffset; offset != 0;) {
    SCSI_INQUIRY_DATA entry;
    std::memcpy(&entry, reply.data() + offset, offsetof(SCSI_INQUIRY_DATA, InquiryData));
    EXPECT_EQ(entry.InquiryDataLength, 36u);
    const BYTE* inquiry = reply.data() + offset + offsetof(SCSI_INQUIRY_DATA, InquiryData);
    entries.push_back({entry.PathId, entry.TargetId, entry.Lun, inquiry[0],
                       std::string(reinterpret_cast<const char*>(inquiry + 8), 28)});
    offset = entry.NextInquiryDataOffset;
    if (entries.size() > 16) break;
  }
  EXPECT_EQ(entries.size(), busData.NumberOfLogicalUnits);
  return entries;
}

TEST(DeviceIoTest, InquiryDataListsEveryBusWithItsChain) {
  NtFixture f;
  std::array<BYTE, 4096> reply{};
  DWORD returned = 0;
  ASSERT_EQ(f.pc.deviceIo().DeviceIoControl(f.Open("\\\\.\\SCSI1:"), IOCTL_SCSI_GET_INQUIRY_DATA,
                                            nullptr, 0, reply.data(), 4096, &returned),
            TRUE);
  EXPECT_EQ(reply[0], 2);  // NumberOfBuses
  SCSI_BUS_DATA bus0;
  std::memcpy(&bus0, reply.data() + 4, sizeof bus0);
  EXPECT_EQ(bus0.InitiatorBusId, 7);
  EXPECT_EQ(bus0.InquiryDataOffset, 4u + 2 * 8u);
  auto onBus0 = Chain(reply, 0);
  ASSERT_EQ(onBus0.size(), 2u);
  EXPECT_EQ(onBus0[0].targetId, 3);
  EXPECT_EQ(onBus0[0].lun, 0);
  EXPECT_EQ(onBus0[0].peripheral, 0x05);
  EXPECT_EQ(onBus0[0].vendorProduct, "KORVEL  CD-R   RZ5140   1.00");
  EXPECT_EQ(onBus0[1].targetId, 3);
  EXPECT_EQ(onBus0[1].lun, 1);
  EXPECT_EQ(onBus0[1].peripheral, 0x25);
  auto onBus1 = Chain(reply, 1);
  ASSERT_EQ(onBus1.size(), 1u);
  EXPECT_EQ(onBus1[0].pathId, 1);
  EXPECT_EQ(onBus1[0].targetId, 6);
  EXPECT_EQ(onBus1[0].peripheral, 0x01);
  EXPECT_EQ(returned, 4u + 16u + 3u * 48u);
}

TEST(DeviceIoTest, InquiryDataIsWhatTheDevicesSaidAtBoot) {
  NtFixture f;
  f.shelf.At(1, 1).SetRevision("2.50");  // as after a firmware upgrade
  std::array<BYTE, 4096> reply{};
  DWORD returned = 0;
  ASSERT_EQ(f.pc.deviceIo().DeviceIoControl(f.Open("\\\\.\\SCSI0:"), IOCTL_SCSI_GET_INQUIRY_DATA,
                                            nullptr, 0, reply.data(), 4096, &returned),
            TRUE);
  EXPECT_EQ(reply[0], 1);
  auto entries = Chain(reply, 0);
  ASSERT_EQ(entries.size(), 1u);  // the silent device at target 4 is not listed
  EXPECT_EQ(entries[0].targetId, 1);
  EXPECT_EQ(entries[0].vendorProduct, "KORVEL  CD-R   RZ6120   2.00");
  EXPECT_EQ(f.pc.deviceIo().DeviceIoControl(f.Open("\\\\.\\SCSI0:"), IOCTL_SCSI_GET_INQUIRY_DATA,
                                            nullptr, 0, reply.data(), 4 + 8 + 47, &returned),
            FALSE);
  EXPECT_EQ(f.pc.deviceIo().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(DeviceIoTest, HandlesAreCountedUntilClosed) {
  NtFixture f;
  HANDLE drive = f.Open("\\\\.\\E:");
  HANDLE port = f.Open("\\\\.\\SCSI0:");
  EXPECT_NE(drive, port);
  EXPECT_EQ(f.pc.deviceIo().openHandles(), 2);
  EXPECT_EQ(f.pc.deviceIo().CloseHandle(drive), TRUE);
  EXPECT_EQ(f.pc.deviceIo().CloseHandle(drive), FALSE);
  EXPECT_EQ(f.pc.deviceIo().openHandles(), 1);
}

}  // namespace
}  // namespace korvel::platform::sim
