#include <gtest/gtest.h>

#include <string>

#include "platform/AspiRecords.h"
#include "transport/TransportStartup.h"
#include "transport/tests/SimulatedPcFixture.h"

namespace korvel::transport {
namespace {

using testing::SimulatedPcFixture;

// A Korvel drive at (0, 5) whose REZERO UNIT ends with the given SCSI status byte (no rule at
// all for GOOD), behind ASPI or the NT pass-through.
std::string ScenarioFor(bool passThrough, int scsiStatus) {
  std::string faults;
  if (scsiStatus == 2) {
    faults = R"(, "faults": [{"opcode": "0x01", "status": 2, "sense": "02/04/01"}])";
  } else if (scsiStatus != 0) {
    faults = R"(, "faults": [{"opcode": "0x01", "status": )" + std::to_string(scsiStatus) + "}]";
  }
  return std::string(R"({"os": "nt4", "aspi": {"installed": )") + (passThrough ? "false" : "true") +
         R"(}, "adapters": [{"id": 0, "port": 0, "targets": [
      {"id": 5, "letter": "F", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00")" +
         faults + "}]}]}";
}

struct StatusCase {
  int scsiStatus;
  const char* name;
};

const StatusCase kStatusCases[] = {
    {0x00, "GOOD"},
    {0x01, "reserved 01"},
    {0x02, "CHECK CONDITION"},
    {0x04, "CONDITION MET"},
    {0x08, "BUSY"},
    {0x10, "INTERMEDIATE"},
    {0x14, "INTERMEDIATE-CONDITION MET"},
    {0x18, "RESERVATION CONFLICT"},
    {0x22, "COMMAND TERMINATED"},
    {0x28, "TASK SET FULL"},
    {0x30, "ACA ACTIVE"},
    {0x40, "TASK ABORTED"},
    {0x03, "reserved 03"},
    {0x81, "reserved 81"},
    {0xFF, "reserved FF"},
};

class StatusByteTest : public ::testing::TestWithParam<bool> {};

TEST_P(StatusByteTest, OnlyGoodReadsAsSuccess) {
  const bool passThrough = GetParam();
  const std::uint8_t testUnitReady[6] = {};
  const std::uint8_t rezeroUnit[6] = {0x01};
  for (const StatusCase& c : kStatusCases) {
    SimulatedPcFixture pc(ScenarioFor(passThrough, c.scsiStatus));
    ASSERT_NE(StartTransport(*pc.transport), 0) << c.name;
    // The drive's first answer after power-on is its UNIT ATTENTION.
    pc.transport->ExecuteCommand(0, 5, testUnitReady, nullptr, 0);
    const std::int32_t status = pc.transport->ExecuteCommand(0, 5, rezeroUnit, nullptr, 0);
    if (c.scsiStatus == 0) {
      EXPECT_EQ(status, 1) << c.name;
    } else {
      EXPECT_NE(status, 1) << c.name;
      if (passThrough && c.scsiStatus != 1) {
        EXPECT_EQ(status, c.scsiStatus) << c.name << ": other statuses come back unchanged";
      }
      if (!passThrough) {
        EXPECT_EQ(status, platform::SS_ERR) << c.name;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, StatusByteTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "PassThrough" : "Aspi";
                         });

// A library that reports SS_COMP although the adapter or the target said otherwise.
TEST(AspiStatusTest, CompletedWithABadTargetOrAdapterStatusIsAFailure) {
  struct Case {
    std::uint8_t haStat;
    std::uint8_t targStat;
    bool success;
  };
  const Case cases[] = {{0, 0, true},     {0, 1, false},    {0, 2, false},   {0, 8, false},
                        {0x11, 0, false}, {0x12, 0, false}, {0x11, 2, false}};
  for (const Case& c : cases) {
    SimulatedPcFixture pc(ScenarioFor(false, 0));
    ASSERT_NE(StartTransport(*pc.transport), 0);
    pc.state().SendASPI32Command = [c](void* block) -> platform::DWORD {
      auto* srb = static_cast<platform::SRB_ExecSCSICmd*>(block);
      srb->SRB_HaStat = c.haStat;
      srb->SRB_TargStat = c.targStat;
      srb->SRB_Status = platform::SS_COMP;
      return platform::SS_COMP;
    };
    const std::uint8_t rezeroUnit[6] = {0x01};
    const std::int32_t status = pc.transport->ExecuteCommand(0, 5, rezeroUnit, nullptr, 0);
    EXPECT_EQ(status == 1, c.success) << int(c.haStat) << "/" << int(c.targStat);
  }
}

}  // namespace
}  // namespace korvel::transport
