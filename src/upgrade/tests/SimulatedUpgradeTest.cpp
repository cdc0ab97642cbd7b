// Upgrade of emulated drives on the built-in simulated PC, checked on the command log: what
// reached the drive, in which order, and on the virtual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "FakeWindow.h"
#include "emulator/VirtualClock.h"
#include "formats/SampleImage.h"
#include "platform/sim/DefaultScenario.h"
#include "platform/sim/SimulatedPc.h"
#include "transport/CommandLog.h"
#include "transport/TransportStartup.h"
#include "upgrade/UpgradeDialogModel.h"

namespace korvel::upgrade {
namespace {

using nlohmann::json;

// One line of the command log.
struct Logged {
  std::string cdb;  // "3B 04 00 ..."
  std::string direction;
  std::uint32_t length;
  std::uint64_t timeMs;
  std::string sense;
  int opcode() const { return std::stoi(cdb.substr(0, 2), nullptr, 16); }
};

std::vector<Logged> ParseLog(const std::string& text) {
  std::vector<Logged> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const json entry = json::parse(line);
    lines.push_back({entry.at("cdb"), entry.at("direction"), entry.at("length"),
                     entry.at("time_ms"), entry.value("sense", "")});
  }
  return lines;
}

std::string WriteBufferCdb(int mode, std::uint32_t offset) {
  char text[40];
  std::snprintf(text, sizeof text, "3B %02X 00 %02X %02X %02X 00 20 00 00", mode,
                (offset >> 16) & 0xFF, (offset >> 8) & 0xFF, offset & 0xFF);
  return text;
}

class SimulatedUpgradeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Boots the built-in PC, with `faults` on the drive at 0:2, and opens the dialog on it.
  void Boot(const json& faults = json::array(), const std::vector<std::string>& held = {}) {
    json document = json::parse(platform::sim::kDefaultScenarioJson);
    document["adapters"][0]["targets"][0]["faults"] = faults;
    if (!held.empty()) document["files_held"] = held;
    pc_ = std::make_unique<platform::sim::SimulatedPc>(platform::sim::ParseScenario(document),
                                                       clock_);
    transport_ = std::make_unique<transport::ScsiTransport>(pc_->platform());
    log_ = std::make_unique<transport::CommandLog>(logText_, pc_->platform().kernel);
    transport_->SetCommandLog(log_.get());
    model_ = std::make_unique<UpgradeDialogModel>(
        *transport_, session_, window_,
        TransportControl{
            [this] { return static_cast<std::uint32_t>(transport::StartTransport(*transport_)); },
            [this] { transport::StopTransport(*transport_); }});
    ASSERT_TRUE(model_->OnInitDialog());
  }

  void Select(int adapter, int target) {
    for (int i = 0; i < session_.DriveCount; ++i) {
      if (session_.DriveList[i] == transport::DeviceAddress{static_cast<std::uint8_t>(adapter),
                                                            static_cast<std::uint8_t>(target)}) {
        model_->SelectDrive(i);
        return;
      }
    }
    FAIL() << "no drive at " << adapter << ":" << target;
  }

  std::string WriteFile(const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(folder_);
    const std::filesystem::path path = folder_ / "upgrade.bin";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  void Load(const std::string& path) {
    window_.fileAnswers.push_back(path);
    model_->OnLoadFile();
  }

  std::vector<Logged> Upgrade() {
    logText_.str("");
    model_->OnUpgrade();
    return ParseLog(logText_.str());
  }

  std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                  ("korvel-upgrade-test-" + std::to_string(::getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  emulator::VirtualClock clock_;
  std::unique_ptr<platform::sim::SimulatedPc> pc_;
  std::unique_ptr<transport::ScsiTransport> transport_;
  std::ostringstream logText_;
  std::unique_ptr<transport::CommandLog> log_;
  UpgradeSession session_;
  testing::FakeWindow window_;
  std::unique_ptr<UpgradeDialogModel> model_;
  const std::vector<std::uint8_t> image_ = formats::MakeSampleImage(formats::kFormatB, "1.50", 77);
};

TEST_F(SimulatedUpgradeTest, TheDriveReceivesTheWholeSequenceAndReportsTheNewRevision) {
  Boot();
  Select(0, 2);
  EXPECT_EQ(window_.shown().firmwareVersion, "1.00");
  Load(WriteFile(image_));
  ASSERT_TRUE(window_.enabled[kUpgradeButton]) << window_.shown().status;
  const std::vector<Logged> log = Upgrade();

  std::vector<std::string> expected{"12 00 00 00 38 00", "01 00 00 00 00 00", "03 00 00 00 12 00"};
  for (int k = 0; k < 63; ++k) expected.push_back(WriteBufferCdb(4, k * 0x2000u));
  expected.push_back(WriteBufferCdb(5, 0x7E000));
  expected.insert(expected.end(), {"00 00 00 00 00 00", "03 00 00 00 12 00", "12 00 00 00 38 00",
                                   "12 00 00 00 38 00"});
  std::vector<std::string> cdbs;
  for (const Logged& entry : log) cdbs.push_back(entry.cdb);
  EXPECT_EQ(cdbs, expected);
  for (const Logged& entry : log) {
    // REZERO UNIT and TEST UNIT READY have no data phase.
    if (entry.opcode() == 0x01 || entry.opcode() == 0x00) {
      EXPECT_EQ(entry.direction, "none");
    }
    if (entry.opcode() != 0x3B) continue;
    EXPECT_EQ(entry.length, 8196u);
    EXPECT_EQ(entry.direction, "out");
  }
  // The drive checked the saved image's signature and sum, so its bytes arrived in order.
  EXPECT_EQ(window_.shown().status, "!! Upgrade finished succesfully !!");
  EXPECT_EQ(window_.shown().firmwareVersion, "1.50");
  // 2000 + 1100 ms of virtual time between the save and the next question.
  EXPECT_GE(log[67].timeMs - log[66].timeMs, 3100u);
  EXPECT_TRUE(window_.enabled[kUpgradeButton]);
  EXPECT_TRUE(window_.enabled[kLoadFileButton]);
}

TEST_F(SimulatedUpgradeTest, ChunkNineFailingStopsAfterTenWriteBuffers) {
  Boot(json::parse(
      R"([{"opcode": "0x3B", "mode": 4, "occurrence": 10, "status": 2, "sense": "05/24/00"}])"));
  Select(0, 2);
  Load(WriteFile(image_));
  const std::vector<Logged> log = Upgrade();
  int writes = 0;
  std::size_t lastWrite = 0;
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (log[i].opcode() == 0x3B) {
      ++writes;
      lastWrite = i;
      EXPECT_EQ(log[i].cdb.substr(3, 2), "04");
    }
  }
  EXPECT_EQ(writes, 10);
  EXPECT_EQ(log[lastWrite].cdb, WriteBufferCdb(4, 9 * 0x2000u));
  ASSERT_EQ(log.size(), lastWrite + 6);
  EXPECT_EQ(log[lastWrite + 1].opcode(), 0x03);  // the sense for the report
  EXPECT_EQ(log[lastWrite + 2].opcode(), 0x00);
  // Only the 1100 ms wait: no save wait after a refused chunk.
  const std::uint64_t waited = log[lastWrite + 2].timeMs - log[lastWrite].timeMs;
  EXPECT_GE(waited, 1100u);
  EXPECT_LT(waited, 2000u);
  EXPECT_EQ(window_.shown().status, "!! ERROR: Upgrade failed! (sense 70 05 24 00)");
  EXPECT_EQ(window_.shown().firmwareVersion, "1.00");
}

TEST_F(SimulatedUpgradeTest, OnlyTheSaveFailingWaitsBothTimes) {
  Boot(json::parse(
      R"([{"opcode": "0x3B", "mode": 5, "occurrence": 1, "status": 2, "sense": "04/44/00"}])"));
  Select(0, 2);
  Load(WriteFile(image_));
  const std::vector<Logged> log = Upgrade();
  ASSERT_EQ(log.size(), 72u);
  EXPECT_EQ(log[66].cdb, WriteBufferCdb(5, 0x7E000));
  EXPECT_EQ(log[67].opcode(), 0x03);
  EXPECT_GE(log[67].timeMs - log[66].timeMs, 2000u);
  EXPECT_GE(log[68].timeMs - log[67].timeMs, 1100u);
  EXPECT_EQ(window_.shown().status, "!! ERROR: Upgrade failed! (sense 70 04 44 00)");
  EXPECT_EQ(window_.shown().firmwareVersion, "1.00");
}

TEST_F(SimulatedUpgradeTest, ASecondUpgradeSendsTheWholeFileAgain) {
  Boot();
  Select(0, 2);
  Load(WriteFile(image_));
  ASSERT_EQ(Upgrade().size(), 71u);
  const std::vector<Logged> again = Upgrade();
  ASSERT_EQ(again.size(), 71u);
  EXPECT_EQ(again[3].cdb, WriteBufferCdb(4, 0));
  EXPECT_EQ(window_.shown().status, "!! Upgrade finished succesfully !!");
}

TEST_F(SimulatedUpgradeTest, ADriveOfAnotherModelReceivesNoWriteBuffer) {
  Boot();
  Select(0, 2);
  Load(WriteFile(image_));
  Select(1, 5);  // the CD-ROM model, which no upgrade file serves
  const std::vector<Logged> log = Upgrade();
  std::vector<int> opcodes;
  for (const Logged& entry : log) opcodes.push_back(entry.opcode());
  EXPECT_EQ(opcodes, (std::vector<int>{0x12, 0x03, 0x00, 0x03, 0x12, 0x12}));
  EXPECT_EQ(window_.shown().status, "!! ERROR: Upgrade failed! (sense 70 00 00 00)");
}

TEST_F(SimulatedUpgradeTest, AFileHeldByAnotherProgramIsRefusedAtLoadAndAtUpgrade) {
  const std::string path = WriteFile(image_);
  Boot(json::array(), {path});
  Select(0, 2);
  Load(path);
  EXPECT_FALSE(window_.enabled[kUpgradeButton]);
  EXPECT_EQ(window_.shown().status, "! This file is not a valid upgrade file for this drive !");
  EXPECT_TRUE(Upgrade().empty());
  EXPECT_EQ(window_.shown().status,
            "!! ERROR: Cannot open the upgrade file! (file in use by another program)");
}

}  // namespace
}  // namespace korvel::upgrade
