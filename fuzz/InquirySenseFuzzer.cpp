// Drive answers on the Linux SG_IO back end: every command's data (INQUIRY, MODE SENSE, READ
// DRIVE MEMORY), SCSI status, host and driver status, sense bytes and failure of the ioctl come
// from the input. The scan, the identification, the firmware version and the sense store must
// take any of them without reading or writing outside their buffers.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "drive/DriveScan.h"
#include "drive/ModeCompat.h"
#include "platform/testing/NullPlatform.h"
#include "transport/LinuxSgCommand.h"
#include "upgrade/FirmwareVersion.h"

namespace {

using namespace korvel;

// The device node as a drive of the input's making answers it.
class FuzzedDrive : public platform::linux_host::SgDeviceAccess {
 public:
  explicit FuzzedDrive(FuzzedDataProvider& input) : input_(input) {}

  int Open(const std::string&, int, int& error) override {
    error = ENODEV;
    return -1;
  }
  int SendSgIo(int, sg_io_hdr_t& header, int& error) override {
    if (input_.ConsumeIntegralInRange<int>(0, 15) == 0) {
      error = input_.ConsumeIntegralInRange<int>(1, 133);
      return -1;
    }
    if (header.dxfer_direction == SG_DXFER_FROM_DEV && header.dxferp != nullptr) {
      const std::vector<std::uint8_t> data = input_.ConsumeBytes<std::uint8_t>(
          input_.ConsumeIntegralInRange<std::size_t>(0, header.dxfer_len));
      if (!data.empty()) std::memcpy(header.dxferp, data.data(), data.size());
      header.resid = static_cast<int>(header.dxfer_len - data.size());
    }
    header.status = input_.ConsumeIntegral<std::uint8_t>();
    header.masked_status = static_cast<unsigned char>(header.status >> 1);
    header.host_status = input_.ConsumeBool() ? 0 : input_.ConsumeIntegral<std::uint16_t>();
    header.driver_status = input_.ConsumeBool() ? 0 : input_.ConsumeIntegral<std::uint16_t>();
    const std::vector<std::uint8_t> sense =
        input_.ConsumeBytes<std::uint8_t>(input_.ConsumeIntegralInRange<std::size_t>(0, 32));
    const std::size_t kept = std::min<std::size_t>(sense.size(), header.mx_sb_len);
    if (kept > 0) std::memcpy(header.sbp, sense.data(), kept);
    header.sb_len_wr = static_cast<unsigned char>(kept);
    return 0;
  }
  void Close(int) override {}
  int Lock(int, int, int&) override { return 0; }
  platform::linux_host::NodeRights RightsOf(const std::string&) override { return {}; }
  std::optional<platform::linux_host::NodeDevice> DeviceOf(const std::string&) override {
    return std::nullopt;
  }

 private:
  FuzzedDataProvider& input_;
};

class SgBackend : public transport::CommandBackend {
 public:
  explicit SgBackend(FuzzedDrive& drive) : drive_(drive) {}
  transport::BackendOutcome Execute(const transport::CommandRequest& request) override {
    return transport::SendSgCommand(drive_, 3, request).outcome;
  }

 private:
  FuzzedDrive& drive_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  platform::testing::NullPlatform machine;
  transport::ScsiTransport transport(machine.platform);
  FuzzedDrive drive(input);
  transport.SetHostBackend(std::make_unique<SgBackend>(drive));

  const int adapters = input.ConsumeIntegralInRange<int>(0, 2);
  for (const drive::FoundDrive& found : drive::ScanForDrives(transport, adapters)) {
    upgrade::ReadFirmwareIdentity(transport, found.address);
  }
  upgrade::ReadFirmwareIdentity(transport, {0, 0});
  std::array<std::uint8_t, 256> page{};
  drive::ModeSenseCompat(transport, 0, 1, 0x2A, input.ConsumeIntegral<std::uint8_t>(), page.data());
  for (std::uint8_t target = 0; target < 16; ++target) transport.LastSense(0, target);
  return 0;
}
