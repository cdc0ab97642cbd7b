// A fault at every command of a whole upgrade, of every kind a drive can give (CHECK CONDITION,
// BUSY, no answer), behind ASPI and behind the NT pass-through. Whatever fails, the upgrade never
// reports success unless the drive took the whole image, the upgrade file stays as it was, the
// drive never keeps an image it did not get whole, and nothing waits for ever. Runs on the
// virtual clock, so the fixed waits of each upgrade cost no real time.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "FakeWindow.h"
#include "emulator/VirtualClock.h"
#include "formats/SampleImage.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedPc.h"
#include "transport/CommandLog.h"
#include "transport/TransportStartup.h"
#include "upgrade/StatusTexts.h"
#include "upgrade/UpgradeDialogModel.h"

namespace korvel::upgrade {
namespace {

using nlohmann::json;

constexpr char kAspiPc[] = R"({"os": "win98", "aspi": {"installed": true}, "adapters": [
  {"id": 0, "driver": "a", "manager": "m", "targets": [
    {"id": 2, "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00"}]}]})";

constexpr char kPassThroughPc[] = R"({"os": "nt4", "aspi": {"installed": false}, "adapters": [
  {"id": 0, "port": 0, "driver": "vxscsi", "host_id": 7, "targets": [
    {"id": 2, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ",
     "revision": "1.00"}]}]})";

constexpr std::uint8_t kWriteBuffer = 0x3B;

// One command that reached the drive at 0:2, as the command log has it.
struct Sent {
  std::uint8_t opcode;
  std::uint8_t mode;  // WRITE BUFFER only
  std::int32_t status;
};

// Where a fault goes: the n-th command of its opcode (and mode, for WRITE BUFFER) since the
// drive started, which is the upgrade's command at `position`.
struct Target {
  std::size_t position;
  std::uint8_t opcode;
  std::uint8_t mode;
  std::uint32_t occurrence;
};

enum class FaultKind { CheckCondition, Busy, NoAnswer };
const char* NameOf(FaultKind kind) {
  switch (kind) {
    case FaultKind::CheckCondition:
      return "CHECK CONDITION";
    case FaultKind::Busy:
      return "BUSY";
    case FaultKind::NoAnswer:
      return "no answer";
  }
  return "?";
}

std::vector<Sent> DriveCommands(const std::string& log) {
  std::vector<Sent> sent;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    const json entry = json::parse(line);
    if (entry.contains("source")) continue;  // answered from the port's data, not the drive
    if (entry.at("target") != 2) continue;   // the scan asks the empty targets too
    const std::string cdb = entry.at("cdb");
    const auto opcode = static_cast<std::uint8_t>(std::stoi(cdb.substr(0, 2), nullptr, 16));
    const auto mode = opcode == kWriteBuffer
                          ? static_cast<std::uint8_t>(std::stoi(cdb.substr(3, 2), nullptr, 16) & 7)
                          : std::uint8_t{0};
    sent.push_back({opcode, mode, entry.at("status").get<std::int32_t>()});
  }
  return sent;
}

// One simulated PC with the drive at 0:2, its transport, the dialog's logic on a window
// without display, and every command logged.
class Bench {
 public:
  Bench(const char* scenario, const json& faults, const std::string& file) {
    json document = json::parse(scenario);
    document["adapters"][0]["targets"][0]["faults"] = faults;
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
    started_ = model_->OnInitDialog() && session_.DriveCount > 0;
    if (!started_) return;
    window_.fileAnswers.push_back(file);
    model_->OnLoadFile();
  }
  ~Bench() { transport_->SetCommandLog(nullptr); }

  bool readyToUpgrade() const {
    auto found = window_.enabled.find(kUpgradeButton);
    return started_ && found != window_.enabled.end() && found->second;
  }
  std::size_t sentBeforeUpgrade() const { return beforeUpgrade_; }

  void Upgrade() {
    beforeUpgrade_ = DriveCommands(logText_.str()).size();
    model_->OnUpgrade();
  }

  // The revision the drive reports once it has long finished restarting, asked directly.
  std::string RevisionNow() {
    clock_.Advance(60'000);
    const std::uint8_t testUnitReady[6] = {};
    const std::uint8_t inquiry[6] = {0x12, 0, 0, 0, 36, 0};
    std::uint8_t data[36] = {};
    for (int attempt = 0; attempt < 4; ++attempt) {
      transport_->ExecuteCommand(0, 2, testUnitReady, nullptr, 0);
    }
    if (transport_->ExecuteCommand(0, 2, inquiry, data, sizeof data) != 1) return "(no answer)";
    return std::string(reinterpret_cast<const char*>(data) + 32, 4);
  }

  std::vector<Sent> commands() const { return DriveCommands(logText_.str()); }
  const UpgradeDialogModel& model() const { return *model_; }
  std::uint64_t nowMs() { return clock_.NowMs(); }

 private:
  emulator::VirtualClock clock_;
  std::unique_ptr<platform::sim::SimulatedPc> pc_;
  std::unique_ptr<transport::ScsiTransport> transport_;
  std::ostringstream logText_;
  std::unique_ptr<transport::CommandLog> log_;
  UpgradeSession session_;
  testing::FakeWindow window_;
  std::unique_ptr<UpgradeDialogModel> model_;
  bool started_ = false;
  std::size_t beforeUpgrade_ = 0;
};

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FaultSweepTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_);
    file_ = (folder_ / "RZ5140.BIN").string();
    std::ofstream(file_, std::ios::binary)
        .write(reinterpret_cast<const char*>(image_.data()),
               static_cast<std::streamsize>(image_.size()));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const char* scenario() const { return GetParam() ? kPassThroughPc : kAspiPc; }

  // Every command of a fault-free upgrade, with its count among its kind since the drive began.
  std::vector<Target> Targets() {
    Bench bench(scenario(), json::array(), file_);
    EXPECT_TRUE(bench.readyToUpgrade());
    bench.Upgrade();
    EXPECT_TRUE(bench.model().lastUpgrade().transfer.succeeded());
    const std::vector<Sent> all = bench.commands();
    // The simulated PC asks every device INQUIRY once as it starts, before any log exists.
    std::map<std::pair<int, int>, std::uint32_t> seen{{{0x12, 0}, 1}};
    std::vector<Target> targets;
    for (std::size_t i = 0; i < all.size(); ++i) {
      const std::uint32_t n = ++seen[{all[i].opcode, all[i].mode}];
      if (i >= bench.sentBeforeUpgrade()) targets.push_back({i, all[i].opcode, all[i].mode, n});
    }
    return targets;
  }

  std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / ("korvel-fault-sweep-" + std::to_string(::getpid()));
  std::string file_;
  const std::vector<std::uint8_t> image_ = formats::MakeSampleImage(formats::kFormatB, "1.50", 41);
};

TEST_P(FaultSweepTest, NoFaultAnywhereInAnUpgradePassesForSuccess) {
  const std::vector<Target> targets = Targets();
  // INQUIRY, REZERO UNIT, REQUEST SENSE, 64 WRITE BUFFER, TEST UNIT READY, REQUEST SENSE and
  // INQUIRY twice: every one of them gets each fault. In pass-through mode the three INQUIRY
  // are answered from the port's data and never reach the drive.
  std::map<int, int> kinds;
  for (const Target& target : targets) ++kinds[target.opcode];
  const std::map<int, int> expected{{0x00, 1}, {0x01, 1}, {0x03, 2}, {0x3B, 64}};
  std::map<int, int> withoutInquiry = kinds;
  withoutInquiry.erase(0x12);
  EXPECT_EQ(withoutInquiry, expected);
  EXPECT_EQ(kinds[0x12], GetParam() ? 0 : 3);
  int sweeps = 0;
  for (const Target& target : targets) {
    for (FaultKind kind : {FaultKind::CheckCondition, FaultKind::Busy, FaultKind::NoAnswer}) {
      json rule = {{"opcode", target.opcode}, {"occurrence", target.occurrence}};
      if (target.opcode == kWriteBuffer) rule["mode"] = target.mode;
      if (kind == FaultKind::CheckCondition) {
        rule["status"] = 2;
        rule["sense"] = "04/44/00";
      } else if (kind == FaultKind::Busy) {
        rule["status"] = 8;
      } else {
        rule["no_answer"] = true;
      }
      const std::string where = "command " + std::to_string(target.position) + " (opcode " +
                                std::to_string(target.opcode) + ") " + NameOf(kind);
      Bench bench(scenario(), json::array({rule}), file_);
      ASSERT_TRUE(bench.readyToUpgrade()) << where;
      const std::uint64_t before = bench.nowMs();
      bench.Upgrade();
      // No hang: the fixed waits and the drive's restart, nothing more.
      EXPECT_LT(bench.nowMs() - before, 30'000u) << where;

      const std::vector<Sent> sent = bench.commands();
      ASSERT_GT(sent.size(), target.position) << where;
      EXPECT_NE(sent[target.position].status, 1) << where << ": the fault did not land";

      bool chunkFailed = false;
      for (std::size_t i = bench.sentBeforeUpgrade(); i < sent.size(); ++i) {
        chunkFailed = chunkFailed || (sent[i].opcode == kWriteBuffer && sent[i].status != 1);
      }
      const bool succeeded = bench.model().lastUpgrade().transfer.succeeded();
      const std::string status = bench.model().statusText();
      if (chunkFailed) {
        EXPECT_FALSE(succeeded) << where;
        EXPECT_NE(status, kUpgradeSucceededText) << where;
      }
      EXPECT_EQ(succeeded, status == kUpgradeSucceededText) << where << ": " << status;
      EXPECT_EQ(ReadAll(file_), image_) << where << ": the upgrade file changed";
      const std::string revision = bench.RevisionNow();
      if (chunkFailed) {
        EXPECT_EQ(revision, "1.00") << where << ": the drive kept an image it did not get whole";
      } else {
        EXPECT_EQ(revision, succeeded ? "1.50" : "1.00") << where;
      }
      ++sweeps;
    }
  }
  EXPECT_EQ(sweeps, static_cast<int>(targets.size()) * 3);
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, FaultSweepTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "PassThrough" : "Aspi";
                         });

}  // namespace
}  // namespace korvel::upgrade
