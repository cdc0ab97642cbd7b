// The NT pass-through start-up and identification on any answer of the port driver: the drive's
// SCSI_ADDRESS reply and the port's IOCTL_SCSI_GET_INQUIRY_DATA reply (bus count, the chain of
// inquiry-data entries and their offsets) come from the input. Nothing a driver answers may make
// the transport read outside its buffers or loop for ever.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "drive/DriveScan.h"
#include "platform/NtScsiRecords.h"
#include "platform/testing/NullPlatform.h"
#include "transport/DriveLetters.h"
#include "transport/HostAdapterInquiry.h"
#include "transport/TransportStartup.h"

namespace {

using namespace korvel;
using namespace korvel::platform;

constexpr HANDLE kDriveHandle = 0x100;
constexpr HANDLE kPortHandle = 0x200;

// One CD-ROM drive D: and SCSI ports whose every answer is the input's.
class FuzzedPortDriver : public testing::NullDeviceIo {
 public:
  FuzzedPortDriver(std::vector<BYTE> address, std::vector<BYTE> inquiryData, int ports)
      : address_(std::move(address)), inquiryData_(std::move(inquiryData)), ports_(ports) {}

  UINT GetDriveTypeA(const char* root) override {
    return std::string(root) == "D:\\" ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
  }
  HANDLE CreateFileA(const char* name, DWORD, DWORD, DWORD, DWORD) override {
    const std::string device(name);
    if (device == "\\\\.\\D:") return kDriveHandle;
    // "\\.\SCSI<n>:"
    if (device.size() == 10 && device.compare(0, 8, "\\\\.\\SCSI") == 0 &&
        device[8] - '0' < ports_) {
      return kPortHandle + static_cast<HANDLE>(device[8] - '0');
    }
    return INVALID_HANDLE_VALUE;
  }
  BOOL DeviceIoControl(HANDLE, DWORD code, void*, DWORD, void* out, DWORD outSize,
                       DWORD* returned) override {
    const std::vector<BYTE>* reply = nullptr;
    if (code == IOCTL_SCSI_GET_ADDRESS) reply = &address_;
    if (code == IOCTL_SCSI_GET_INQUIRY_DATA) reply = &inquiryData_;
    if (reply == nullptr) return 0;
    const std::size_t n = std::min<std::size_t>(outSize, reply->size());
    if (n > 0) std::memcpy(out, reply->data(), n);
    if (returned != nullptr) *returned = static_cast<DWORD>(n);
    return 1;
  }
  BOOL CloseHandle(HANDLE) override { return 1; }

 private:
  std::vector<BYTE> address_;
  std::vector<BYTE> inquiryData_;
  int ports_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int ports = input.ConsumeIntegralInRange<int>(0, 10);
  std::vector<BYTE> address = input.ConsumeBytes<BYTE>(sizeof(SCSI_ADDRESS));
  std::vector<BYTE> inquiryData = input.ConsumeRemainingBytes<BYTE>();

  testing::NullPlatform machine;
  FuzzedPortDriver driver(std::move(address), std::move(inquiryData), ports);
  Platform platform{machine.kernel, driver,           machine.registry, machine.files,
                    machine.memory, machine.versions, machine.shell,    machine.volumes};
  transport::ScsiTransport transport(platform);

  const std::int32_t value = transport::StartTransport(transport);
  const int adapters = value & 0xFF;
  drive::ScanForDrives(transport, adapters);
  for (int adapter = 0; adapter <= adapters && adapter < 16; ++adapter) {
    transport::HostAdapterIdentity identity;
    transport::HostAdapterInquiry(transport, static_cast<std::uint8_t>(adapter), identity);
    for (std::uint8_t target = 0; target < 16; ++target) {
      char vendor[9], product[17], revision[5];
      transport.PassThroughInquiry(static_cast<std::uint8_t>(adapter), target, vendor, product,
                                   revision);
      transport::DriveLetterOf(transport, static_cast<std::uint8_t>(adapter), target);
    }
  }
  return 0;
}
