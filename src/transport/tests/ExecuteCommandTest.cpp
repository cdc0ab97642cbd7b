#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "transport/CdbLength.h"
#include "transport/TransportStartup.h"
#include "transport/tests/SimulatedPcFixture.h"

namespace korvel::transport {
namespace {

using testing::SimulatedPcFixture;

// The same drives behind both back ends: a Korvel drive at (0, 2) that answers MODE SELECT(10)
// with ILLEGAL REQUEST / INVALID FIELD IN CDB, and one at (0, 5).
std::string ScenarioFor(bool passThrough) {
  return std::string(R"({"os": "nt4", "aspi": {"installed": )") + (passThrough ? "false" : "true") +
         R"(}, "adapters": [{"id": 0, "port": 0, "targets": [
      {"id": 2, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00",
       "faults": [{"opcode": "0x55", "status": "0x02", "sense": "05/24/00"}]},
      {"id": 5, "letter": "F", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}]}]})";
}

class ExecuteCommandTest : public ::testing::TestWithParam<bool> {
 protected:
  ExecuteCommandTest() : pc_(ScenarioFor(GetParam())) { started_ = StartTransport(*pc_.transport); }
  bool passThrough() const { return GetParam(); }

  // What the back end put into its request for the last command: CDB length, the CDB bytes,
  // whether it went out, and the transfer length.
  struct Sent {
    int cdbLength;
    std::vector<std::uint8_t> cdb;
    bool out;
    std::uint32_t length;
  };
  std::size_t SentCount() const {
    return passThrough() ? pc_.deviceIo.sentRecords.size() : pc_.kernel.sentBlocks.size();
  }
  Sent LastSent() const {
    if (passThrough()) {
      const platform::PassThroughRecord& r = pc_.deviceIo.sentRecords.back();
      EXPECT_EQ(r.spt.Length, 44);
      EXPECT_EQ(r.spt.TargetId, 1);
      EXPECT_EQ(r.spt.SenseInfoLength, 32);
      EXPECT_EQ(r.spt.SenseInfoOffset, 48u);
      EXPECT_EQ(r.spt.TimeOutValue, 108000u);
      return {r.spt.CdbLength,
              {r.spt.Cdb, r.spt.Cdb + 16},
              r.spt.DataIn == platform::SCSI_IOCTL_DATA_OUT,
              r.spt.DataTransferLength};
    }
    const platform::SRB_ExecSCSICmd& b = pc_.kernel.sentBlocks.back();
    EXPECT_EQ(b.SRB_SenseLen, 14);
    EXPECT_EQ(b.SRB_Flags & platform::SRB_EVENT_NOTIFY, platform::SRB_EVENT_NOTIFY);
    EXPECT_EQ(b.SRB_Lun, 0);
    return {b.SRB_CDBLen,
            {b.CDBByte, b.CDBByte + 16},
            (b.SRB_Flags & platform::SRB_DIR_OUT) != 0,
            b.SRB_BufLen};
  }

  SimulatedPcFixture pc_;
  std::int32_t started_ = 0;
};

TEST_P(ExecuteCommandTest, TakesTheCdbLengthFromTheOpcodeGroup) {
  ASSERT_NE(started_, 0);
  const std::pair<std::uint8_t, int> cases[] = {{0x00, 6},  {0x1F, 6},  {0x20, 10}, {0x5F, 10},
                                                {0x60, 12}, {0x88, 12}, {0xA8, 12}, {0xFF, 12}};
  for (auto [opcode, length] : cases) {
    std::uint8_t cdb[16];
    for (int i = 0; i < 16; ++i) cdb[i] = static_cast<std::uint8_t>(0xA0 + i);
    cdb[0] = opcode;
    std::uint8_t data[8] = {};
    pc_.transport->ExecuteCommand(0, 5, cdb, data, sizeof data);
    Sent sent = LastSent();
    EXPECT_EQ(sent.cdbLength, length) << int(opcode);
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(sent.cdb[i], i < length ? cdb[i] : 0) << int(opcode) << " byte " << i;
    }
  }
}

TEST_P(ExecuteCommandTest, SendsEveryOpcodeInTheDirectionOfDataOutTable) {
  ASSERT_NE(started_, 0);
  int outs = 0;
  for (int opcode = 0; opcode < 256; ++opcode) {
    std::uint8_t cdb[12] = {static_cast<std::uint8_t>(opcode)};
    std::uint8_t data[4] = {};
    pc_.transport->ExecuteCommand(0, 5, cdb, data, sizeof data);
    const bool out = LastSent().out;
    EXPECT_EQ(out, DataOutTable[opcode] == 1) << opcode;
    outs += out;
  }
  EXPECT_EQ(outs, 13);
  for (std::uint8_t opcode :
       {0x04, 0x0A, 0x15, 0x1D, 0x2A, 0x3B, 0x54, 0x55, 0x5D, 0xAA, 0xE2, 0xF0, 0xFD}) {
    EXPECT_EQ(DataOutTable[opcode], 1) << int(opcode);
  }
  EXPECT_EQ(DataOutTable[0x2E], 0) << "WRITE AND VERIFY(10) is not in the table";
}

TEST_P(ExecuteCommandTest, TestUnitReadyGoesInWithNoData) {
  ASSERT_NE(started_, 0);
  const std::uint8_t cdb[6] = {};
  pc_.transport->ExecuteCommand(0, 5, cdb, nullptr, 0);
  Sent sent = LastSent();
  EXPECT_FALSE(sent.out);
  EXPECT_EQ(sent.length, 0u);
}

TEST_P(ExecuteCommandTest, KeepsTheSenseOfAFailureInExactlyOneSlot) {
  ASSERT_NE(started_, 0);
  const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
  std::uint8_t data[36];
  ASSERT_EQ(pc_.transport->ExecuteCommand(0, 2, inquiry, data, 36), 1);
  using SenseTable = std::array<SenseSlot, kAddressSlots>;
  EXPECT_EQ(pc_.state().SenseTable, SenseTable{}) << "success stores nothing";

  const std::uint8_t modeSelect[10] = {0x55, 0x10, 0, 0, 0, 0, 0, 0, 8, 0};
  std::uint8_t parameters[8] = {};
  const std::int32_t status = pc_.transport->ExecuteCommand(0, 2, modeSelect, parameters, 8);
  EXPECT_EQ(status, passThrough() ? 2 : platform::SS_ERR);
  EXPECT_EQ(pc_.transport->LastSense(0, 2), 0x052400);
  const SenseSlot& slot = pc_.state().SenseTable[2];
  EXPECT_EQ(slot[0], 0x70);
  EXPECT_EQ(slot[14], 0);
  EXPECT_EQ(slot[15], 0);
  for (int other = 0; other < kAddressSlots; ++other) {
    if (other != 2) {
      EXPECT_EQ(pc_.state().SenseTable[other], SenseSlot{}) << other;
    }
  }
  // A later success at the address leaves the slot alone.
  ASSERT_EQ(pc_.transport->ExecuteCommand(0, 2, inquiry, data, 36), 1);
  EXPECT_EQ(pc_.transport->LastSense(0, 2), 0x052400);
}

TEST_P(ExecuteCommandTest, RefusesAddressesOutsideTheTablesWithoutSendingAnything) {
  ASSERT_NE(started_, 0);
  const std::uint8_t testUnitReady[6] = {};
  const std::size_t sentBefore = SentCount();
  for (auto [adapter, target] : {std::pair{8, 0}, std::pair{0, 16}, std::pair{255, 255}}) {
    EXPECT_NE(
        pc_.transport->ExecuteCommand(static_cast<std::uint8_t>(adapter),
                                      static_cast<std::uint8_t>(target), testUnitReady, nullptr, 0),
        1);
  }
  EXPECT_EQ(SentCount(), sentBefore);
  EXPECT_EQ(pc_.state().SenseTable, (std::array<SenseSlot, kAddressSlots>{}));
}

TEST_P(ExecuteCommandTest, AnAddressWithoutADeviceFails) {
  ASSERT_NE(started_, 0);
  const std::uint8_t testUnitReady[6] = {};
  const std::size_t sentBefore = SentCount();
  const std::int32_t status = pc_.transport->ExecuteCommand(0, 9, testUnitReady, nullptr, 0);
  EXPECT_NE(status, 1);
  if (passThrough()) {
    EXPECT_EQ(status, -1);
    EXPECT_EQ(SentCount(), sentBefore) << "no handle: nothing sent";
    EXPECT_EQ(pc_.state().SenseTable[9], SenseSlot{}) << "and nothing stored";
  }
}

TEST_P(ExecuteCommandTest, ClosesEveryEventItMakes) {
  ASSERT_NE(started_, 0);
  const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
  std::uint8_t data[36];
  for (std::uint8_t target = 0; target < 5; ++target) {
    pc_.transport->ExecuteCommand(0, target, inquiry, data, 36);
  }
  EXPECT_EQ(pc_.kernel.eventsCreated, pc_.kernel.eventsClosed);
  if (!passThrough()) {
    EXPECT_GE(pc_.kernel.eventsCreated, 5);
  }
}

TEST_P(ExecuteCommandTest, ARefusedReadLeavesTheBufferAndAShortOneFillsOnlyWhatCame) {
  ASSERT_NE(started_, 0);
  const std::uint8_t modeSensePage0[6] = {0x1A, 0, 0x00, 0, 12, 0};  // the drive has no page 0
  std::vector<std::uint8_t> data(12, 0xA5);
  EXPECT_NE(pc_.transport->ExecuteCommand(0, 2, modeSensePage0, data.data(), 12), 1);
  EXPECT_EQ(data, std::vector<std::uint8_t>(12, 0xA5));

  const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 96, 0};  // the drive has 36 bytes to say
  data.assign(96, 0xA5);
  ASSERT_EQ(pc_.transport->ExecuteCommand(0, 2, inquiry, data.data(), 96), 1);
  EXPECT_EQ(std::string(data.begin() + 8, data.begin() + 16), "KORVEL  ");
  EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + 36, data.end()),
            std::vector<std::uint8_t>(60, 0xA5));
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, ExecuteCommandTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "PassThrough" : "Aspi";
                         });

}  // namespace
}  // namespace korvel::transport
