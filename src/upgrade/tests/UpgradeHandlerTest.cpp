// Upgrade on the stand-in host: the exact commands, bytes and waits, and what the window shows.
#include <gtest/gtest.h>

#include <algorithm>

#include "ModelFixture.h"
#include "formats/BigEndian.h"
#include "formats/SampleImage.h"
#include "upgrade/TickWait.h"

namespace korvel::upgrade {
namespace {

using testing::kInquiry;
using testing::kRequestSense;
using testing::kRezeroUnit;
using testing::kTestUnitReady;
using testing::kWriteBuffer;
using testing::SentCommand;
using Image = std::vector<std::uint8_t>;

constexpr char kFile[] = "C:\\FW\\NEW.BIN";

std::vector<const SentCommand*> WriteBuffers(const std::vector<SentCommand>& sent) {
  std::vector<const SentCommand*> found;
  for (const SentCommand& command : sent) {
    if (command.cdb[0] == kWriteBuffer) found.push_back(&command);
  }
  return found;
}

const SentCommand& Last(const std::vector<SentCommand>& sent, std::uint8_t opcode) {
  return *std::find_if(sent.rbegin(), sent.rend(),
                       [&](const SentCommand& command) { return command.cdb[0] == opcode; });
}

// Fails WRITE BUFFER of the given mode at its n-th use (0-based among that mode).
auto FailWriteBuffer(std::uint8_t mode, int nth) {
  auto seen = std::make_shared<int>(0);
  return [=](const SentCommand& command, int) {
    if (command.cdb[0] != kWriteBuffer || (command.cdb[1] & 7) != mode) return false;
    return (*seen)++ == nth;
  };
}

class UpgradeHandlerTest : public testing::ModelFixture {
 protected:
  void Prepare(int adapter, int target, const Image& file) {
    host.files.files[kFile] = file;
    OpenAndSelect(adapter, target);
    Load(kFile);
    ASSERT_TRUE(window.enabled[kUpgradeButton]);
    host.sent().clear();
    window.refreshes.clear();
    window.enableCalls.clear();
  }

  void ExpectButtonsBackOn() {
    EXPECT_TRUE(window.enabled[kUpgradeButton]);
    EXPECT_TRUE(window.enabled[kLoadFileButton]);
  }

  Image image = formats::MakeSampleImage(formats::kFormatB, "2.00", 42);
};

TEST_F(UpgradeHandlerTest, ASuccessfulUpgradeSendsTheFileInSixtyFourChunks) {
  host.Drive(0, 2).revisionAfterSave = "2.00";
  Prepare(0, 2, image);
  model.OnUpgrade();

  std::vector<std::uint8_t> expected{kInquiry, kRezeroUnit, kRequestSense};
  expected.insert(expected.end(), 64, kWriteBuffer);
  expected.insert(expected.end(), {kTestUnitReady, kRequestSense, kInquiry, kInquiry});
  EXPECT_EQ(testing::Opcodes(host.sent()), expected);

  const auto writes = WriteBuffers(host.sent());
  ASSERT_EQ(writes.size(), 64u);
  for (int k = 0; k < 64; ++k) {
    std::vector<std::uint8_t> cdb{
        0x3B, static_cast<std::uint8_t>(k == 63 ? 5 : 4), 0, 0, 0, 0, 0x00, 0x20, 0x00, 0};
    formats::PutBigEndian(&cdb[3], static_cast<std::uint64_t>(k) * 0x2000, 3);
    EXPECT_EQ(writes[k]->cdb, cdb) << "chunk " << k;
    EXPECT_TRUE(writes[k]->dataOut);
    ASSERT_EQ(writes[k]->length, 8196u) << "chunk " << k;
    EXPECT_TRUE(std::equal(writes[k]->data.begin(), writes[k]->data.begin() + 8192,
                           image.begin() + k * 8192))
        << "chunk " << k;
  }
  EXPECT_EQ(window.progress.size(), 64u);
  EXPECT_EQ(window.progress.back(), 64);

  // "Please wait" is on screen before the first command; the result and the new version after.
  ASSERT_GE(window.refreshes.size(), 2u);
  EXPECT_EQ(window.refreshes.front().status, "Please wait: upgrade in progress !");
  EXPECT_EQ(window.shown().status, "!! Upgrade finished succesfully !!");
  EXPECT_EQ(window.shown().firmwareVersion, "2.00");
  EXPECT_EQ(window.shown().hostAdapter, "0");
  EXPECT_EQ(window.shown().targetId, "2");
  // Upgrade, then Load File, off at the start; both on again at the end.
  ASSERT_GE(window.enableCalls.size(), 4u);
  EXPECT_EQ(window.enableCalls[0], std::make_pair(kUpgradeButton, false));
  EXPECT_EQ(window.enableCalls[1], std::make_pair(kLoadFileButton, false));
  ExpectButtonsBackOn();

  // 2000 ms after the saving chunk and 1100 ms more before the drive is asked again.
  const SentCommand& save = *writes.back();
  const SentCommand& unitReady = Last(host.sent(), kTestUnitReady);
  EXPECT_GE(unitReady.tick - save.tick, kSaveWaitMs + kRestartWaitMs);
  EXPECT_LT(unitReady.tick - save.tick, kSaveWaitMs + kRestartWaitMs + 50);
}

TEST_F(UpgradeHandlerTest, AFailingChunkStopsTheTransferWithoutTheSaveWait) {
  host.Drive(0, 2).fails = FailWriteBuffer(4, 9);
  host.Drive(0, 2).sense = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00, 0, 0, 0, 0};
  Prepare(0, 2, image);
  model.OnUpgrade();

  const auto writes = WriteBuffers(host.sent());
  ASSERT_EQ(writes.size(), 10u);
  EXPECT_EQ(writes.back()->cdb[1], 4);
  std::vector<std::uint8_t> after;
  const auto failed = static_cast<std::size_t>(writes.back() - host.sent().data());
  for (std::size_t i = failed + 1; i < host.sent().size(); ++i) {
    after.push_back(host.sent()[i].cdb[0]);
  }
  EXPECT_EQ(after, (std::vector<std::uint8_t>{kRequestSense, kTestUnitReady, kRequestSense,
                                              kInquiry, kInquiry}));
  EXPECT_EQ(window.shown().status, "!! ERROR: Upgrade failed! (sense 70 05 24 00)");
  const SentCommand& unitReady = Last(host.sent(), kTestUnitReady);
  EXPECT_GE(unitReady.tick - writes.back()->tick, kRestartWaitMs);
  EXPECT_LT(unitReady.tick - writes.back()->tick, kSaveWaitMs);
  ExpectButtonsBackOn();
  EXPECT_EQ(window.progress.size(), 9u);
}

TEST_F(UpgradeHandlerTest, AFailingSaveIsReportedAfterBothWaits) {
  host.Drive(0, 2).fails = FailWriteBuffer(5, 0);
  host.Drive(0, 2).sense = {0x70, 0, 0x04, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x44, 0x01, 0, 0, 0, 0};
  Prepare(0, 2, image);
  model.OnUpgrade();

  const auto writes = WriteBuffers(host.sent());
  ASSERT_EQ(writes.size(), 64u);
  const SentCommand& reportSense =
      *std::find_if(host.sent().begin(), host.sent().end(), [&](const SentCommand& command) {
        return command.tick > writes.back()->tick && command.cdb[0] == kRequestSense;
      });
  EXPECT_GE(reportSense.tick - writes.back()->tick, kSaveWaitMs);
  EXPECT_GE(Last(host.sent(), kTestUnitReady).tick - reportSense.tick, kRestartWaitMs);
  EXPECT_EQ(window.shown().status, "!! ERROR: Upgrade failed! (sense 70 04 44 01)");
  ExpectButtonsBackOn();
}

TEST_F(UpgradeHandlerTest, ADriveOfAnotherModelReceivesNoWriteBuffer) {
  Prepare(0, 2, image);
  host.Drive(0, 2).product = testing::kCdRomProduct;  // the drive answers as another model now
  host.Drive(0, 2).sense = {0x70, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x29, 0x00, 0, 0, 0, 0};
  model.OnUpgrade();
  EXPECT_EQ(testing::Opcodes(host.sent()),
            (std::vector<std::uint8_t>{kInquiry, kRequestSense, kTestUnitReady, kRequestSense,
                                       kInquiry, kInquiry}));
  EXPECT_EQ(window.shown().status, "!! ERROR: Upgrade failed! (sense 70 06 29 00)");
}

TEST_F(UpgradeHandlerTest, ASecondUpgradeSendsTheWholeFileAgain) {
  Prepare(0, 2, image);
  model.OnUpgrade();
  host.sent().clear();
  model.OnUpgrade();
  const auto writes = WriteBuffers(host.sent());
  ASSERT_EQ(writes.size(), 64u);
  EXPECT_EQ(writes.front()->cdb[5], 0);
  EXPECT_TRUE(
      std::equal(writes.front()->data.begin(), writes.front()->data.begin() + 8192, image.begin()));
  EXPECT_EQ(window.shown().status, "!! Upgrade finished succesfully !!");
}

TEST_F(UpgradeHandlerTest, OnlyTheFirst512KiBOfALongerFileAreSent) {
  Image longer = image;
  formats::AppendTrailingBytes(longer, 10000, 3);
  Prepare(0, 2, longer);
  model.OnUpgrade();
  const auto writes = WriteBuffers(host.sent());
  ASSERT_EQ(writes.size(), 64u);
  EXPECT_TRUE(std::equal(writes.back()->data.begin(), writes.back()->data.begin() + 8192,
                         image.begin() + 0x7E000));
  EXPECT_EQ(host.files.reads.back().offset + host.files.reads.back().size, 0x80000u);
}

TEST_F(UpgradeHandlerTest, AShortFileIsPaddedWithErasedFlashNotStaleBytes) {
  const Image formatA = formats::MakeSampleImage(formats::kFormatA, "2.00", 5);
  Prepare(1, 1, formatA);
  model.OnUpgrade();
  const auto writes = WriteBuffers(host.sent());
  ASSERT_EQ(writes.size(), 64u);
  for (int k = 0; k < 48; ++k) {
    EXPECT_TRUE(std::equal(writes[k]->data.begin(), writes[k]->data.begin() + 8192,
                           formatA.begin() + k * 8192))
        << "chunk " << k;
  }
  for (int k = 48; k < 64; ++k) {
    EXPECT_TRUE(std::all_of(writes[k]->data.begin(), writes[k]->data.begin() + 8192,
                            [](std::uint8_t byte) { return byte == 0xFF; }))
        << "chunk " << k;
  }
  EXPECT_EQ(window.shown().status, "!! Upgrade finished succesfully !!");
}

TEST_F(UpgradeHandlerTest, AFileThatCannotBeOpenedSendsNothing) {
  const std::vector<std::pair<std::string, std::function<void()>>> cases{
      {"!! ERROR: No upgrade file is loaded! (please load the file again)",
       [&] {
         window.fileAnswers.push_back(std::nullopt);
         model.OnLoadFile();
       }},
      {"!! ERROR: Cannot open the upgrade file! (file not found)",
       [&] { host.files.files.erase(kFile); }},
      {"!! ERROR: Cannot open the upgrade file! (file in use by another program)",
       [&] { host.files.heldByOther.insert(kFile); }},
  };
  for (const auto& [statusText, breakFile] : cases) {
    host.files.heldByOther.clear();
    Prepare(0, 2, image);
    breakFile();
    const platform::DWORD ticks = host.kernel.tick;
    model.OnUpgrade();
    EXPECT_TRUE(host.sent().empty()) << statusText;
    EXPECT_EQ(window.shown().status, statusText);
    EXPECT_LT(host.kernel.tick - ticks, 100u) << "waited with nothing sent";
    ExpectButtonsBackOn();
  }
}

TEST_F(UpgradeHandlerTest, AReadErrorMidwayStopsBeforeTheSave) {
  host.Drive(0, 2).sense = {0x70, 0, 0x00, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0};
  Prepare(0, 2, image);
  host.files.readErrorAt = 5 * 8192 + 100;
  model.OnUpgrade();
  const auto writes = WriteBuffers(host.sent());
  ASSERT_EQ(writes.size(), 5u);
  EXPECT_TRUE(std::none_of(writes.begin(), writes.end(),
                           [](const SentCommand* command) { return command->cdb[1] == 5; }));
  EXPECT_EQ(window.shown().status, "!! ERROR: Upgrade file read error! (sense 70 00 00 00)");
  ExpectButtonsBackOn();
  EXPECT_EQ(host.files.OpenHandles(), 0);
}

TEST_F(UpgradeHandlerTest, AFailedReportSenseShowsNoBytes) {
  Prepare(0, 2, image);
  // Leave recognisable bytes where the sense would land.
  std::fill(session.transferBuffer.begin(), session.transferBuffer.end(), std::uint8_t{0xAB});
  host.Drive(0, 2).fails = [](const SentCommand& command, int) {
    return command.cdb[0] == kWriteBuffer || command.cdb[0] == kRequestSense;
  };
  model.OnUpgrade();
  EXPECT_EQ(window.shown().status, "!! ERROR: Upgrade failed! (the drive gave no sense data)");
  EXPECT_FALSE(model.lastUpgrade().sense.has_value());
}

TEST_F(UpgradeHandlerTest, AnUnansweredInquiryAfterTheUpgradeShowsQuestionMarks) {
  Prepare(0, 2, image);
  auto saved = std::make_shared<bool>(false);
  host.Drive(0, 2).fails = [saved](const SentCommand& command, int) {
    if (command.cdb[0] == kWriteBuffer && command.cdb[1] == 5) *saved = true;
    return command.cdb[0] == kInquiry && *saved;
  };
  model.OnUpgrade();
  EXPECT_EQ(window.shown().firmwareVersion, "???");
  EXPECT_EQ(window.shown().status, "!! Upgrade finished succesfully !!");
}

TEST_F(UpgradeHandlerTest, ARehearsalReadsTheFileButSendsNoWriteBuffer) {
  Prepare(0, 2, image);
  host.files.reads.clear();
  model.SetRehearsal(true);
  const platform::DWORD ticks = host.kernel.tick;
  model.OnUpgrade();
  EXPECT_TRUE(WriteBuffers(host.sent()).empty());
  std::uint64_t read = 0;
  for (const auto& call : host.files.reads) read += call.size;
  EXPECT_EQ(read, 0x80000u);
  EXPECT_LT(host.kernel.tick - ticks, kRestartWaitMs);
  EXPECT_EQ(window.shown().status,
            "!! Dry run finished: the file was read through, nothing was written to the drive !!");
}

}  // namespace
}  // namespace korvel::upgrade
