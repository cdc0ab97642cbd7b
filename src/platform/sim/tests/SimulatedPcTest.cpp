// The simulated PC with the emulator's devices on its buses, as the programs use it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "emulator/VirtualClock.h"
#include "platform/AspiRecords.h"
#include "platform/sim/DefaultScenario.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::platform::sim {
namespace {

BYTE Send(SimulatedPc& pc, SRB_ExecSCSICmd& srb) {
  Kernel& kernel = pc.platform().kernel;
  FarProc send = kernel.GetProcAddress(kernel.LoadLibraryA("WNASPI32.DLL"), "SendASPI32Command");
  HANDLE event = kernel.CreateEventA(true, false);
  srb.SRB_Flags |= SRB_EVENT_NOTIFY;
  srb.SRB_PostProc = event;
  if (send(&srb) == SS_PENDING) kernel.WaitForSingleObject(event, INFINITE);
  kernel.CloseHandle(event);
  return srb.SRB_Status;
}

TEST(SimulatedPcTest, TheDefaultPcAnswersInquiryFromItsEmulatedDrives) {
  emulator::VirtualClock clock;
  SimulatedPc pc(DefaultScenario(), clock);
  struct {
    BYTE adapter, target;
    const char* identity;
  } drives[] = {{0, 2, "KORVEL  CD-R   RZ5140   1.00"},
                {1, 1, "KORVEL  CD-R   RZ6120   2.00"},
                {1, 5, "KORVEL  CD-ROM          3.00"}};
  for (const auto& d : drives) {
    std::array<BYTE, 56> data{};
    MappedBuffer mapped(pc.memory(), data.data(), data.size());
    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = d.adapter;
    srb.SRB_Target = d.target;
    srb.SRB_Flags = SRB_DIR_IN;
    srb.SRB_BufLen = data.size();
    srb.SRB_BufPointer = mapped.address();
    srb.SRB_SenseLen = SENSE_LEN;
    srb.SRB_CDBLen = 6;
    const BYTE cdb[6] = {0x12, 0, 0, 0, 56, 0};
    std::memcpy(srb.CDBByte, cdb, 6);
    ASSERT_EQ(Send(pc, srb), SS_COMP);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&data[8]), 28), d.identity);
  }
  EXPECT_EQ(pc.kernel().eventsCreated(), pc.kernel().eventsClosed());
}

TEST(SimulatedPcTest, TheFaultyDriveFailsTheTenthDownloadChunk) {
  const char* source = std::getenv("KORVEL_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  emulator::VirtualClock clock;
  SimulatedPc pc(LoadScenarioFile(std::string(source) + "/scenarios/faulty-drive.json"), clock);
  std::vector<BYTE> chunk(0x2000 + 4, 0xFF);
  MappedBuffer mapped(pc.memory(), chunk.data(), chunk.size());
  for (DWORD k = 0; k < 10; ++k) {
    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Target = 2;
    srb.SRB_Flags = SRB_DIR_OUT;
    srb.SRB_BufLen = static_cast<DWORD>(chunk.size());
    srb.SRB_BufPointer = mapped.address();
    srb.SRB_SenseLen = SENSE_LEN;
    srb.SRB_CDBLen = 10;
    const DWORD offset = k * 0x2000;
    const BYTE cdb[10] = {
        0x3B, 4,    0, static_cast<BYTE>(offset >> 16), static_cast<BYTE>(offset >> 8), 0, 0,
        0x20, 0x00, 0};
    std::memcpy(srb.CDBByte, cdb, 10);
    const BYTE status = Send(pc, srb);
    if (k < 9) {
      EXPECT_EQ(status, SS_COMP) << "chunk " << k;
      continue;
    }
    EXPECT_EQ(status, SS_ERR);
    EXPECT_EQ(srb.SRB_TargStat, 2);
    EXPECT_EQ(srb.SenseArea[2] & 0x0F, 0x04);
    EXPECT_EQ(srb.SenseArea[12], 0x44);
  }
  EXPECT_EQ(pc.bus().CommandCount(0, 2), 10u);
}

}  // namespace
}  // namespace korvel::platform::sim
