// The dialog's logic flashing a stand-in drive with the guards on the Linux machine's power and
// sleep, against a mock session manager and power daemon on a private system bus (run by
// run_with_mock_bus.py): the inhibitor is held for every command of the upgrade, and for no
// command before or after, on every path.
#include <gtest/gtest.h>

#include "formats/SampleImage.h"
#include "machine/FlashGuards.h"
#include "platform/linux/LinuxMachinePower.h"
#include "platform/linux/tests/MockLogind.h"
#include "platform/linux/tests/MockUPower.h"
#include "upgrade/tests/ModelFixture.h"

namespace korvel::machine {
namespace {

using platform::linux_host::testing::Inhibitor;
using platform::linux_host::testing::MockLogind;
using platform::linux_host::testing::MockUPower;

constexpr char kFile[] = "C:\\FW\\NEW.BIN";

// The real machine's power and sleep; the drive has no nodes and nobody else uses it.
class PowerOnlyHost : public FlashHost {
 public:
  std::string DriveName(transport::DeviceAddress) override { return "0:2"; }
  platform::DriveUse UseOf(transport::DeviceAddress) override { return {}; }
  bool FlashedByAnother(transport::DeviceAddress) override { return false; }
  platform::HoldResult HoldDrive(transport::DeviceAddress) override {
    return {std::make_unique<platform::Hold>(), "", {}};
  }
  platform::PowerReading ReadPower() override { return power_.ReadPower(); }
  platform::HoldResult KeepAwake(const std::string& who, const std::string& why) override {
    return power_.KeepAwake(who, why);
  }
  std::unique_ptr<platform::SignalShield> ShieldSignals(const std::string&) override {
    return nullptr;
  }

 private:
  platform::linux_host::LinuxMachinePower power_{"/nonexistent"};
};

class GuardsOnMockBusTest : public upgrade::testing::ModelFixture {
 protected:
  void SetUp() override {
    upower.SetOnBattery(false);
    upower.SetDisplayDevice(MockUPower::kBattery, MockUPower::kCharging, 80, true);
    logind.ClearCalls();
    host.files.files[kFile] = formats::MakeSampleImage(formats::kFormatB, "2.00", 42);
    OpenAndSelect(0, 2);
    Load(kFile);
    ASSERT_TRUE(window.enabled[upgrade::kUpgradeButton]);
    model.SetFlashGuard(&guards);
    // Every command the drive receives looks at the session manager first.
    host.Drive(0, 2).fails = [this](const upgrade::testing::SentCommand& command, int occurrence) {
      heldAtCommand.push_back(logind.HeldInhibitors().size());
      return failWhen && failWhen(command, occurrence);
    };
    host.sent().clear();
  }

  std::size_t HeldNow() { return logind.HeldInhibitors().size(); }

  MockLogind logind;
  MockUPower upower;
  PowerOnlyHost flashHost;
  std::vector<std::string> notes;
  FlashGuards guards{flashHost,
                     FlashGuardOptions{"korvelfw", false,
                                       [this](const std::string& note) { notes.push_back(note); },
                                       [](std::chrono::milliseconds) {}}};
  std::vector<std::size_t> heldAtCommand;
  std::function<bool(const upgrade::testing::SentCommand&, int)> failWhen;
};

TEST_F(GuardsOnMockBusTest, AGoodFlashHoldsTheInhibitorForEveryCommandAndLetsGoAfter) {
  ASSERT_EQ(HeldNow(), 0u);
  model.OnUpgrade();
  ASSERT_EQ(model.lastUpgrade().transfer.kind, upgrade::TransferOutcome::Kind::Sent);
  EXPECT_EQ(heldAtCommand, std::vector<std::size_t>(host.sent().size(), 1)) << host.sent().size();
  EXPECT_EQ(host.sent().size(), 71u);
  EXPECT_EQ(HeldNow(), 0u);
  const Inhibitor expected{"sleep:shutdown:idle", "korvelfw",
                           "Flashing the firmware of drive 0:2; stopping half way can leave the "
                           "drive unusable",
                           "block"};
  EXPECT_EQ(logind.InhibitCalls(), std::vector<Inhibitor>{expected});
  EXPECT_TRUE(notes.empty());
}

TEST_F(GuardsOnMockBusTest, AFailedFlashLetsGoToo) {
  failWhen = [](const upgrade::testing::SentCommand& command, int occurrence) {
    return command.cdb[0] == upgrade::testing::kWriteBuffer && occurrence == 5;
  };
  model.OnUpgrade();
  ASSERT_EQ(model.lastUpgrade().transfer.kind, upgrade::TransferOutcome::Kind::ChunkRefused);
  EXPECT_EQ(heldAtCommand, std::vector<std::size_t>(host.sent().size(), 1));
  EXPECT_EQ(HeldNow(), 0u);
  EXPECT_EQ(logind.InhibitCalls().size(), 1u);
}

TEST_F(GuardsOnMockBusTest, AFileGoneAtUpgradeLetsGoWithNothingSent) {
  host.files.files.erase(kFile);
  model.OnUpgrade();
  ASSERT_EQ(model.lastUpgrade().transfer.kind, upgrade::TransferOutcome::Kind::CannotOpen);
  EXPECT_TRUE(host.sent().empty());
  EXPECT_EQ(HeldNow(), 0u);
}

TEST_F(GuardsOnMockBusTest, ALowBatteryRefusesWithoutAskingTheSessionManager) {
  upower.SetOnBattery(true);
  upower.SetDisplayDevice(MockUPower::kBattery, MockUPower::kDischarging, 12, true);
  model.OnUpgrade();
  EXPECT_EQ(model.lastUpgrade().transfer.kind, upgrade::TransferOutcome::Kind::Refused);
  EXPECT_EQ(model.lastUpgrade().refusal,
            "the computer runs on battery with 12% left (UPower), too little to flash a drive "
            "safely: a flash needs at least 25%; connect the computer to mains power, or use "
            "--ignore-power to flash anyway");
  EXPECT_TRUE(host.sent().empty());
  EXPECT_TRUE(logind.InhibitCalls().empty());
  EXPECT_EQ(HeldNow(), 0u);
}

TEST_F(GuardsOnMockBusTest, ARefusingSessionManagerIsOneNoteAndTheFlashGoesOn) {
  logind.RefuseInhibit("not allowed");
  model.OnUpgrade();
  logind.RefuseInhibit("");
  EXPECT_EQ(model.lastUpgrade().transfer.kind, upgrade::TransferOutcome::Kind::Sent);
  EXPECT_EQ(notes, std::vector<std::string>{
                       "could not ask logind to block suspend and shutdown during the upgrade "
                       "(not allowed); keep the computer on until it has finished"});
}

}  // namespace
}  // namespace korvel::machine
