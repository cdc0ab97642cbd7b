#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <mutex>
#include <vector>

#include "ScriptedDevice.h"
#include "emulator/VirtualClock.h"
#include "platform/AspiRecords.h"
#include "platform/LentAddressSpace.h"
#include "platform/testing/CaseNames.h"

namespace korvel::platform::sim {
namespace {

using testing::CheckCondition;
using testing::DeviceShelf;
using testing::Good;
using testing::NoAnswer;
using testing::ScenarioOf;

std::string AspiPc(const char* completion, const char* extraAspi = "") {
  return std::string(R"({"os":"win98","aspi":{"installed":true,"completion":")") + completion +
         "\"" + extraAspi + R"(},
    "adapters":[{"id":0,"driver":"vxscsi","manager":"ASPI for WIN32","host_id":7,
                 "targets":[{"id":2,"vendor":"KORVEL","product":"CD-R   RZ5140   "}]},
                {"id":1,"driver":"a-driver-name-longer-than-16","host_id":6,
                 "targets":[{"id":5,"vendor":"KORVEL","product":"CD-ROM          "}]}]})";
}

struct AspiFixture {
  explicit AspiFixture(const std::string& json) : pc(ScenarioOf(json), clock, shelf.Maker()) {}
  FarProc Entry(const char* name) {
    HMODULE module = pc.kernel().LoadLibraryA("WNASPI32.DLL");
    return pc.kernel().GetProcAddress(module, name);
  }
  DeviceShelf shelf;
  emulator::VirtualClock clock;
  SimulatedPc pc;
};

SRB_ExecSCSICmd Request(BYTE adapter, BYTE target, std::initializer_list<BYTE> cdb, BYTE flags) {
  SRB_ExecSCSICmd srb{};
  srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
  srb.SRB_Status = SS_ERR;
  srb.SRB_HaId = adapter;
  srb.SRB_Target = target;
  srb.SRB_Flags = flags;
  srb.SRB_SenseLen = SENSE_LEN;
  srb.SRB_CDBLen = static_cast<BYTE>(cdb.size());
  std::copy(cdb.begin(), cdb.end(), srb.CDBByte);
  return srb;
}

BYTE ReadStatus(const SRB_ExecSCSICmd& srb) {
  return std::atomic_ref<const BYTE>(srb.SRB_Status).load(std::memory_order_acquire);
}

struct CompletionCase {
  const char* completion;
  bool event;
  DWORD returned;  // what SendASPI32Command gives back for a command that ends well
};

void PrintTo(const CompletionCase& c, std::ostream* os) {
  *os << c.completion << (c.event ? "_event" : "_polling");
}

class AspiCompletionTest : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(AspiCompletionTest, EndsTheCommandAndSignalsTheEvent) {
  const CompletionCase& c = GetParam();
  AspiFixture f(AspiPc(c.completion));
  FarProc send = f.Entry("SendASPI32Command");
  std::array<BYTE, 36> buffer{};
  MappedBuffer mapped(f.pc.memory(), buffer.data(), buffer.size());
  f.shelf.At(0, 2).Answer(Good(36), std::vector<BYTE>(36, 0x5A));
  HANDLE event = c.event ? f.pc.kernel().CreateEventA(true, false) : 0;
  SRB_ExecSCSICmd srb =
      Request(0, 2, {0x12, 0, 0, 0, 36, 0}, c.event ? (SRB_DIR_IN | SRB_EVENT_NOTIFY) : 0);
  srb.SRB_BufLen = buffer.size();
  srb.SRB_BufPointer = mapped.address();
  srb.SRB_PostProc = event;

  EXPECT_EQ(send(&srb), c.returned);
  if (c.event) {
    EXPECT_EQ(f.pc.kernel().WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
  }
  while (ReadStatus(srb) == SS_PENDING) {
  }
  EXPECT_EQ(srb.SRB_Status, SS_COMP);
  EXPECT_EQ(srb.SRB_HaStat, 0);
  EXPECT_EQ(srb.SRB_TargStat, 0);
  std::array<BYTE, 36> expected;
  expected.fill(0x5A);
  EXPECT_EQ(buffer, expected);
  auto seen = f.shelf.At(0, 2).seen();
  ASSERT_EQ(seen.size(), 2u);  // the boot INQUIRY, then this one
  EXPECT_EQ(seen[1].cdb, (std::vector<BYTE>{0x12, 0, 0, 0, 36, 0}));
  EXPECT_EQ(seen[1].direction, emulator::Direction::In);
  EXPECT_EQ(seen[1].length, 36u);
  EXPECT_EQ(f.pc.bus().CommandCount(0, 2), 1u);
  if (c.event) f.pc.kernel().CloseHandle(event);
}

INSTANTIATE_TEST_SUITE_P(Paths, AspiCompletionTest,
                         ::testing::Values(CompletionCase{"pending", true, SS_PENDING},
                                           CompletionCase{"immediate", true, SS_COMP},
                                           CompletionCase{"pending", false, SS_PENDING},
                                           CompletionCase{"immediate", false, SS_COMP}));

// Runs one command to its end through the event path.
BYTE RunToTheEnd(AspiFixture& f, SRB_ExecSCSICmd& srb) {
  FarProc send = f.Entry("SendASPI32Command");
  HANDLE event = f.pc.kernel().CreateEventA(true, false);
  srb.SRB_Flags |= SRB_EVENT_NOTIFY;
  srb.SRB_PostProc = event;
  if (send(&srb) == SS_PENDING) f.pc.kernel().WaitForSingleObject(event, INFINITE);
  f.pc.kernel().CloseHandle(event);
  return srb.SRB_Status;
}

TEST(AspiLibraryTest, CheckConditionGivesSsErrTheStatusAndSenseLenBytes) {
  AspiFixture f(AspiPc("pending"));
  f.shelf.At(0, 2).Answer(CheckCondition(0x05, 0x24, 0x00));
  SRB_ExecSCSICmd srb = Request(0, 2, {0x00, 0, 0, 0, 0, 0}, SRB_DIR_IN);
  EXPECT_EQ(RunToTheEnd(f, srb), SS_ERR);
  EXPECT_EQ(srb.SRB_TargStat, 2);
  EXPECT_EQ(srb.SRB_HaStat, 0);
  const BYTE expected[16] = {0x70, 0xA1, 0x05, 0xA3, 0xA4, 0xA5, 0xA6, 10,
                             0xA8, 0xA9, 0xAA, 0xAB, 0x24, 0x00, 0,    0};
  EXPECT_EQ(0, std::memcmp(srb.SenseArea, expected, sizeof expected));
}

TEST(AspiLibraryTest, SenseNeverRunsPastTheRequestBlock) {
  AspiFixture f(AspiPc("immediate"));
  struct {
    SRB_ExecSCSICmd srb;
    BYTE guard[8];
  } block{};
  std::memset(block.guard, 0xEE, sizeof block.guard);
  block.srb = Request(0, 2, {0x00, 0, 0, 0, 0, 0}, SRB_DIR_IN);
  block.srb.SRB_SenseLen = 18;
  f.shelf.At(0, 2).Answer(CheckCondition(0x02, 0x04, 0x01));
  EXPECT_EQ(RunToTheEnd(f, block.srb), SS_ERR);
  EXPECT_EQ(block.srb.SenseArea[15], 0xAF);
  for (BYTE b : block.guard) EXPECT_EQ(b, 0xEE);
}

TEST(AspiLibraryTest, ATargetThatNeverAnswersIsASelectionTimeout) {
  AspiFixture f(AspiPc("pending"));
  f.shelf.At(0, 2).Answer(NoAnswer());
  SRB_ExecSCSICmd srb = Request(0, 2, {0x00, 0, 0, 0, 0, 0}, SRB_DIR_IN);
  EXPECT_EQ(RunToTheEnd(f, srb), SS_ERR);
  EXPECT_EQ(srb.SRB_HaStat, HASTAT_SEL_TO);
  EXPECT_EQ(srb.SRB_TargStat, 0);
}

struct DirectionCase {
  BYTE flags;
  BYTE opcode;
  emulator::Direction direction;
};

void PrintTo(const DirectionCase& c, std::ostream* os) {
  *os << "flags" << int(c.flags) << "_opcode" << int(c.opcode);
}

class AspiDirectionTest : public ::testing::TestWithParam<DirectionCase> {};

TEST_P(AspiDirectionTest, DataMovesAsTheFlagsOrTheCommandSay) {
  AspiFixture f(AspiPc("immediate"));
  std::array<BYTE, 8> buffer{1, 2, 3, 4, 5, 6, 7, 8};
  MappedBuffer mapped(f.pc.memory(), buffer.data(), buffer.size());
  SRB_ExecSCSICmd srb =
      Request(0, 2, {GetParam().opcode, 0, 0, 0, 0, 0, 0, 0, 8, 0}, GetParam().flags);
  srb.SRB_BufLen = buffer.size();
  srb.SRB_BufPointer = mapped.address();
  EXPECT_EQ(f.Entry("SendASPI32Command")(&srb), SS_COMP);
  auto seen = f.shelf.At(0, 2).seen().back();
  EXPECT_EQ(seen.direction, GetParam().direction);
  EXPECT_EQ(seen.length, 8u);
  if (GetParam().direction == emulator::Direction::Out) {
    EXPECT_EQ(seen.dataOut, (std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8}));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, AspiDirectionTest,
                         ::testing::Values(DirectionCase{SRB_DIR_OUT, 0x3B,
                                                         emulator::Direction::Out},
                                           DirectionCase{SRB_DIR_IN, 0x3B, emulator::Direction::In},
                                           DirectionCase{SRB_DIR_IN, 0x28, emulator::Direction::In},
                                           DirectionCase{0, 0x3B, emulator::Direction::Out},
                                           DirectionCase{0, 0xE2, emulator::Direction::Out},
                                           DirectionCase{0, 0x28, emulator::Direction::In}));

struct RefusalCase {
  const char* name;
  BYTE adapter, target, lun, cdbLength;
  int buffer;  // 0: none, 1: lent, 2: longer than lent, 3: never lent
  BYTE status;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class AspiRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(AspiRefusalTest, EndsAtOnceAndSendsNothing) {
  const RefusalCase& c = GetParam();
  AspiFixture f(AspiPc("pending"));
  std::array<BYTE, 16> buffer{};
  MappedBuffer mapped(f.pc.memory(), buffer.data(), buffer.size());
  SRB_ExecSCSICmd srb =
      Request(c.adapter, c.target, {0x12, 0, 0, 0, 16, 0}, SRB_DIR_IN | SRB_EVENT_NOTIFY);
  srb.SRB_Lun = c.lun;
  srb.SRB_CDBLen = c.cdbLength;
  srb.SRB_BufLen = c.buffer == 0 ? 0 : (c.buffer == 2 ? 17 : 16);
  srb.SRB_BufPointer = c.buffer == 3 ? 0x7000'0000 : mapped.address();
  HANDLE event = f.pc.kernel().CreateEventA(true, false);
  srb.SRB_PostProc = event;
  EXPECT_EQ(f.Entry("SendASPI32Command")(&srb), c.status) << c.name;
  EXPECT_EQ(srb.SRB_Status, c.status) << c.name;
  EXPECT_EQ(f.pc.kernel().WaitForSingleObject(event, 0), WAIT_TIMEOUT) << c.name;
  EXPECT_EQ(f.pc.bus().CommandCount(0, 2) + f.pc.bus().CommandCount(1, 5), 0u) << c.name;
  f.pc.kernel().CloseHandle(event);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AspiRefusalTest,
    ::testing::Values(RefusalCase{"unknown adapter", 2, 2, 0, 6, 1, SS_INVALID_HA},
                      RefusalCase{"unknown adapter and no device", 9, 9, 0, 6, 1, SS_INVALID_HA},
                      RefusalCase{"no device", 0, 5, 0, 6, 1, SS_NO_DEVICE},
                      RefusalCase{"no such logical unit", 0, 2, 1, 6, 1, SS_NO_DEVICE},
                      RefusalCase{"no CDB", 0, 2, 0, 0, 1, SS_INVALID_SRB},
                      RefusalCase{"CDB too long", 0, 2, 0, 17, 1, SS_INVALID_SRB},
                      RefusalCase{"past the lent buffer", 0, 2, 0, 6, 2, SS_BUFFER_TOO_BIG},
                      RefusalCase{"never lent", 0, 2, 0, 6, 3, SS_INVALID_SRB}),
    case_names::FromMember<&RefusalCase::name>{});

TEST(AspiLibraryTest, UnknownRequestKindsAreInvalidCommands) {
  AspiFixture f(AspiPc("pending"));
  SRB_ExecSCSICmd srb{};
  srb.SRB_Cmd = 0x07;
  EXPECT_EQ(f.Entry("SendASPI32Command")(&srb), SS_INVALID_CMD);
  EXPECT_EQ(srb.SRB_Status, SS_INVALID_CMD);
}

TEST(AspiLibraryTest, HostAdapterInquiryFillsTheAdapterFields) {
  AspiFixture f(AspiPc("pending"));
  SRB_HAInquiry srb{};
  srb.SRB_Cmd = SC_HA_INQUIRY;
  srb.SRB_HaId = 1;
  EXPECT_EQ(f.Entry("SendASPI32Command")(&srb), SS_COMP);
  EXPECT_EQ(srb.SRB_Status, SS_COMP);
  EXPECT_EQ(srb.HA_Count, 2);
  EXPECT_EQ(srb.HA_SCSI_ID, 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_ManagerId), 16),
            std::string("ASPI for WIN32\0\0", 16));
  // The identifier field holds 16 characters of the driver name and no terminator.
  EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_Identifier), 16), "a-driver-name-lo");
  const BYTE unique[16] = {0, 0, 0, 16, 0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(srb.HA_Unique, unique, 16));
}

TEST(AspiLibraryTest, HostAdapterInquiryOfAnUnknownAdapter) {
  AspiFixture f(AspiPc("pending"));
  SRB_HAInquiry srb{};
  srb.SRB_Cmd = SC_HA_INQUIRY;
  srb.SRB_HaId = 2;
  EXPECT_EQ(f.Entry("SendASPI32Command")(&srb), SS_INVALID_HA);
  EXPECT_EQ(srb.SRB_Status, SS_INVALID_HA);
  EXPECT_EQ(srb.HA_Count, 2);
}

struct SupportCase {
  std::string json;
  DWORD value;
};

void PrintTo(const SupportCase& c, std::ostream* os) {
  *os << std::hex << c.value
      << (c.json.find("support_info") == std::string::npos ? "_counted" : "_given");
}

class AspiSupportInfoTest : public ::testing::TestWithParam<SupportCase> {};

TEST_P(AspiSupportInfoTest, AnswersTheScenariosValue) {
  AspiFixture f(GetParam().json);
  EXPECT_EQ(f.Entry("GetASPI32SupportInfo")(nullptr), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AspiSupportInfoTest,
    ::testing::Values(SupportCase{AspiPc("pending"), 0x0102},
                      SupportCase{AspiPc("pending", R"(,"support_info":"0xE800")"), 0xE800},
                      SupportCase{AspiPc("pending", R"(,"support_info":256)"), 0x0100},
                      SupportCase{R"({"os":"win95","aspi":{"installed":true}})", 0xE800}));

TEST(AspiLibraryTest, PendingRequestsEndInTheOrderTheyWereSent) {
  AspiFixture f(AspiPc("pending"));
  FarProc send = f.Entry("SendASPI32Command");
  std::vector<SRB_ExecSCSICmd> requests;
  for (BYTE i = 0; i < 20; ++i) requests.push_back(Request(0, 2, {0x00, i, 0, 0, 0, 0}, 0));
  for (auto& srb : requests) EXPECT_EQ(send(&srb), SS_PENDING);
  for (auto& srb : requests) {
    while (ReadStatus(srb) == SS_PENDING) {
    }
  }
  auto seen = f.shelf.At(0, 2).seen();
  ASSERT_EQ(seen.size(), 21u);
  for (BYTE i = 0; i < 20; ++i) EXPECT_EQ(seen[i + 1].cdb[1], i);
}

// The library as a DLL hosts it, outside the simulated PC: the caller's own events are signalled
// through the callback, only for requests that ask for it, and only once the status is out.
TEST(AspiLibraryTest, OutsideThePcTheCallerSignalsTheEvents) {
  DeviceShelf shelf;
  emulator::VirtualClock clock;
  const Scenario scenario = ScenarioOf(AspiPc("pending"));
  EmulatedBus bus(scenario, clock, shelf.Maker());
  LentAddressSpace memory;
  std::mutex mutex;
  std::vector<HANDLE> signalled;
  std::vector<BYTE> statusWhenSignalled;
  std::promise<void> lastDone;
  std::vector<SRB_ExecSCSICmd> requests{Request(0, 2, {0x00, 1, 0, 0, 0, 0}, 0),
                                        Request(0, 2, {0x00, 2, 0, 0, 0, 0}, SRB_EVENT_NOTIFY)};
  requests[0].SRB_PostProc = 0x1111;  // no SRB_EVENT_NOTIFY: not to be signalled
  requests[1].SRB_PostProc = 0x2222;
  AspiLibrary aspi(
      scenario, bus,
      [&](HANDLE event) {
        std::lock_guard lock(mutex);
        signalled.push_back(event);
        statusWhenSignalled.push_back(ReadStatus(requests[1]));
        if (event == 0x2222) lastDone.set_value();
      },
      memory);

  for (auto& srb : requests) EXPECT_EQ(aspi.SendCommand(&srb), SS_PENDING);
  // Requests end in order: once the second is signalled, the first has ended too.
  lastDone.get_future().wait();
  std::lock_guard lock(mutex);
  EXPECT_EQ(signalled, (std::vector<HANDLE>{0x2222}));
  EXPECT_EQ(statusWhenSignalled, (std::vector<BYTE>{SS_COMP}));
  EXPECT_EQ(ReadStatus(requests[0]), SS_COMP);
  EXPECT_EQ(bus.CommandCount(0, 2), 2u);
}

}  // namespace
}  // namespace korvel::platform::sim
