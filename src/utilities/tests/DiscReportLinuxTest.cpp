// The disc report on the Linux back end, with an emulated RZ5140 behind a stand-in of SG_IO that
// hands buffers back as the kernel does: a refused data-in command comes back zeroed. The
// report's MODE SENSE(6) of page 0, which the drive refuses, must not become the mode list that
// puts the block length back after the raw read.
#include <gtest/gtest.h>

#include <array>
#include <nlohmann/json.hpp>
#include <span>
#include <vector>

#include "emulator/DeviceFactory.h"
#include "emulator/VirtualClock.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/tests/FakeSysfsTree.h"
#include "platform/linux/tests/KernelSgBuffer.h"
#include "transport/LinuxHostAdapters.h"
#include "transport/TransportStartup.h"
#include "utilities/DiscTypeReport.h"

namespace korvel::utilities {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The drive's node: every SG_IO goes to the emulated device, as the kernel would carry it.
class EmulatedSgNode : public platform::linux_host::SgDeviceAccess {
 public:
  explicit EmulatedSgNode(emulator::ScsiTarget& device) : device_(device) {}

  std::vector<Bytes> modeSelects;  // the parameter list of each MODE SELECT(6), in order

  int Open(const std::string&, int, int&) override { return 3; }
  void Close(int) override {}
  platform::linux_host::NodeRights RightsOf(const std::string&) override { return {}; }
  int Lock(int, int, int&) override { return 0; }
  std::optional<platform::linux_host::NodeDevice> DeviceOf(const std::string&) override {
    return std::nullopt;
  }
  int SendSgIo(int, sg_io_hdr_t& header, int& error) override {
    return platform::linux_host::testing::SendLikeTheKernel(
        header, error, [this](sg_io_hdr_t& h, int&) {
          auto* data = static_cast<std::uint8_t*>(h.dxferp);
          const std::span<std::uint8_t> buffer(data, data == nullptr ? 0 : h.dxfer_len);
          if (h.cmdp[0] == 0x15) modeSelects.emplace_back(buffer.begin(), buffer.end());
          const bool out = h.dxfer_direction == SG_DXFER_TO_DEV;
          const emulator::CommandResult result =
              device_.Execute(std::span<const std::uint8_t>(h.cmdp, h.cmd_len),
                              out ? emulator::Direction::Out : emulator::Direction::In, buffer);
          h.status = result.status;
          h.resid = out ? 0 : static_cast<int>(buffer.size() - result.transferred);
          if (result.status == emulator::kStatusCheckCondition) {
            const std::size_t count = std::min<std::size_t>(h.mx_sb_len, result.sense.size());
            std::copy_n(result.sense.begin(), count, h.sbp);
            h.sb_len_wr = static_cast<unsigned char>(count);
            h.driver_status = 0x08;
          }
          return 0;
        });
  }

 private:
  emulator::ScsiTarget& device_;
};

// Bytes 9..11 of a MODE SENSE(6) answer with one block descriptor: the block length.
std::uint32_t BlockLengthOf(emulator::ScsiTarget& device) {
  const std::array<std::uint8_t, 6> modeSense{0x1A, 0x00, 0x3F, 0x00, 0xFF, 0x00};
  Bytes answer(255, 0);
  const emulator::CommandResult result = device.Execute(modeSense, emulator::Direction::In, answer);
  EXPECT_EQ(result.status, emulator::kStatusGood);
  EXPECT_EQ(answer[3], 8) << "one block descriptor";
  return (answer[9] << 16) | (answer[10] << 8) | answer[11];
}

TEST(DiscReportLinuxTest, ARefusedModeSenseLeavesTheDefaultListToRestoreTheBlockLength) {
  platform::linux_host::testing::FakeSysfsTree tree;
  tree.AddDevice("1:0:0:0", 5, "KORVEL  ", "CD-R   RZ5140   ", "1.00", "sg1", "sr0");
  const nlohmann::json target = {
      {"vendor", "KORVEL"},
      {"product", "CD-R   RZ5140   "},
      {"revision", "1.00"},
      {"disc", {{"sessions", {{{"tracks", {{{"mode", "mode1"}, {"blocks", 300}}}}}}}}}};
  emulator::VirtualClock clock;
  std::unique_ptr<emulator::ScsiTarget> device =
      emulator::MakeDevice(emulator::ParseDeviceConfig(target, "target"), clock);
  ASSERT_EQ(BlockLengthOf(*device), 2048u);
  EmulatedSgNode node(*device);
  platform::linux_host::LinuxPlatform machine(false);
  transport::ScsiTransport transport(machine.platform());
  transport::LinuxHostAdapters adapters(
      platform::linux_host::SysfsScsiDiscovery(tree.sys(), tree.dev()), node,
      tree.root() / "mounts");
  ASSERT_EQ(transport::StartTransport(transport, &adapters), 1);

  std::string volume;
  std::string discClass;
  DiscTypeReport(transport, {0, 0}, volume, discClass);

  ASSERT_EQ(node.modeSelects.size(), 2u);
  EXPECT_EQ(node.modeSelects[0],
            (Bytes{0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x30}))
      << "the raw list, block length 2352";
  EXPECT_EQ(node.modeSelects[1],
            (Bytes{0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00}))
      << "the default list, block length 2048";
  EXPECT_EQ(BlockLengthOf(*device), 2048u);
  EXPECT_EQ(discClass, "CD-ROM - Mode 1");
}

}  // namespace
}  // namespace korvel::utilities
