// Upgrade with guards around the flash: what a refusal leaves, and the span the holds cover,
// counted in the commands the drive received.
#include <gtest/gtest.h>

#include "ModelFixture.h"
#include "formats/SampleImage.h"

namespace korvel::upgrade {
namespace {

using testing::kInquiry;
using testing::kRequestSense;
using testing::kRezeroUnit;
using testing::kTestUnitReady;
using testing::kWriteBuffer;

constexpr char kFile[] = "C:\\FW\\NEW.BIN";

// Logs each step with the number of commands the drive had received by then.
class StandInGuard : public FlashGuard {
 public:
  explicit StandInGuard(testing::FakeHost& host) : host_(host) {}

  std::vector<std::string> previewRefusals;
  std::string holdRefusal;
  bool mayWrite = true;
  int signal = 0;
  std::vector<std::pair<std::string, std::size_t>> log;

  std::vector<std::string> Preview(transport::DeviceAddress) override {
    Log("preview");
    return previewRefusals;
  }
  FlashHoldResult Hold(transport::DeviceAddress address) override {
    Log("hold " + std::to_string(address.adapter) + ":" + std::to_string(address.target));
    FlashHoldResult result;
    if (holdRefusal.empty()) {
      result.hold = std::make_unique<StandInHold>(*this);
    } else {
      result.refusal = holdRefusal;
    }
    return result;
  }

 private:
  class StandInHold : public FlashHold {
   public:
    explicit StandInHold(StandInGuard& guard) : guard_(guard) {}
    ~StandInHold() override { guard_.Log("let go"); }
    bool BeginWriting() override {
      guard_.Log("begin writing");
      return guard_.mayWrite;
    }
    int HeldSignal() const override { return guard_.signal; }

   private:
    StandInGuard& guard_;
  };

  void Log(const std::string& step) { log.emplace_back(step, host_.sent().size()); }
  testing::FakeHost& host_;
};

class UpgradeGuardTest : public testing::ModelFixture {
 protected:
  void SetUp() override {
    host.files.files[kFile] = formats::MakeSampleImage(formats::kFormatB, "2.00", 42);
    OpenAndSelect(0, 2);
    model.SetFlashGuard(&guard);
  }

  StandInGuard guard{host};
};

TEST_F(UpgradeGuardTest, TheHoldsCoverEveryCommandOfTheUpgradeAndSignalsAreHeldFromTheFirstWrite) {
  Load(kFile);
  ASSERT_TRUE(window.enabled[kUpgradeButton]);
  host.sent().clear();
  guard.log.clear();
  guard.signal = 15;
  model.OnUpgrade();

  std::vector<std::uint8_t> expected{kInquiry, kRezeroUnit, kRequestSense};
  expected.insert(expected.end(), 64, kWriteBuffer);
  expected.insert(expected.end(), {kTestUnitReady, kRequestSense, kInquiry, kInquiry});
  EXPECT_EQ(testing::Opcodes(host.sent()), expected);
  // Taken before the first command, writing begun after the third, let go after the last.
  EXPECT_EQ(guard.log, (std::vector<std::pair<std::string, std::size_t>>{
                           {"hold 0:2", 0}, {"begin writing", 3}, {"let go", 71}}));
  EXPECT_EQ(model.lastUpgrade().heldSignal, 15);
  EXPECT_EQ(model.statusText(), "!! Upgrade finished succesfully !!");
}

TEST_F(UpgradeGuardTest, AFailedFlashLetsGoAfterTheDriveWasAskedAgain) {
  host.Drive(0, 2).fails = [](const testing::SentCommand& command, int occurrence) {
    return command.cdb[0] == kWriteBuffer && occurrence == 5;
  };
  Load(kFile);
  host.sent().clear();
  guard.log.clear();
  model.OnUpgrade();
  EXPECT_EQ(model.lastUpgrade().transfer.kind, TransferOutcome::Kind::ChunkRefused);
  ASSERT_EQ(guard.log.size(), 3u);
  EXPECT_EQ(guard.log.back(), std::make_pair(std::string("let go"), host.sent().size()));
  EXPECT_EQ(host.sent().back().cdb[0], kInquiry);
}

TEST_F(UpgradeGuardTest, ARefusalSendsNothingAndShowsTheBoxWithTheButtonsAsTheyWere) {
  Load(kFile);
  host.sent().clear();
  window.refreshes.clear();
  window.enableCalls.clear();
  guard.holdRefusal = "drive 0:2 is in use by PID 7 (x); close that program before you flash";
  model.OnUpgrade();
  EXPECT_TRUE(host.sent().empty());
  EXPECT_EQ(window.errors.back(), std::make_pair(guard.holdRefusal, std::string("ERROR!")));
  EXPECT_TRUE(window.refreshes.empty());
  EXPECT_TRUE(window.enableCalls.empty());
  EXPECT_EQ(model.lastUpgrade().transfer.kind, TransferOutcome::Kind::Refused);
  EXPECT_EQ(model.lastUpgrade().refusal, guard.holdRefusal);
  EXPECT_EQ(model.statusText(), "Valid upgrade file loaded: NEW.BIN");
}

TEST_F(UpgradeGuardTest, ASignalBeforeTheFirstWriteStopsWithNoWriteBufferAndNoWait) {
  Load(kFile);
  host.sent().clear();
  guard.mayWrite = false;
  guard.signal = 2;
  const platform::DWORD start = host.kernel.GetTickCount();
  model.OnUpgrade();
  EXPECT_EQ(testing::Opcodes(host.sent()),
            (std::vector<std::uint8_t>{kInquiry, kRezeroUnit, kRequestSense}));
  EXPECT_EQ(model.lastUpgrade().transfer.kind, TransferOutcome::Kind::Interrupted);
  EXPECT_EQ(model.lastUpgrade().transfer.chunksSent, 0);
  EXPECT_EQ(model.lastUpgrade().heldSignal, 2);
  EXPECT_LT(host.kernel.GetTickCount() - start, 100u);
  EXPECT_EQ(window.shown().status, "Valid upgrade file loaded: NEW.BIN");
  EXPECT_TRUE(window.enabled[kUpgradeButton]);
  EXPECT_TRUE(window.enabled[kLoadFileButton]);
  EXPECT_EQ(guard.log.back().first, "let go");
}

TEST_F(UpgradeGuardTest, LoadFileSaysAtOnceWhatWouldRefuseAndLeavesUpgradeOn) {
  guard.previewRefusals = {"first reason", "second reason"};
  Load(kFile);
  EXPECT_TRUE(window.enabled[kUpgradeButton]);
  ASSERT_EQ(window.errors.size(), 1u);
  EXPECT_EQ(window.errors[0],
            std::make_pair(std::string("first reason\n\nsecond reason"), std::string("ERROR!")));
  EXPECT_TRUE(host.sent().size() > 0);  // the file check asked the drive's type

  // An invalid file asks no guard.
  guard.log.clear();
  host.files.files[kFile] = std::vector<std::uint8_t>(16, 0);
  Load(kFile);
  EXPECT_TRUE(guard.log.empty());
  EXPECT_EQ(window.errors.size(), 1u);
}

TEST_F(UpgradeGuardTest, ARehearsalTakesNoHold) {
  Load(kFile);
  guard.log.clear();
  model.SetRehearsal(true);
  model.OnUpgrade();
  EXPECT_TRUE(guard.log.empty());
  EXPECT_EQ(model.lastUpgrade().transfer.kind, TransferOutcome::Kind::Sent);
}

}  // namespace
}  // namespace korvel::upgrade
