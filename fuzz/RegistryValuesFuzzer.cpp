// The registry readers on any registry: the Windows 9x Configuration Manager scan, the drive
// letters and target IDs under Enum\SCSI, the SCSI port driver names, and the drive-letter map
// built from them. The input writes the keys and values (names from the ones these readers ask
// for, or its own; any type; any bytes, NUL-terminated or not), so that the readers meet values
// of the wrong type, without their NUL, oversized, empty, or pointing at keys that do not exist.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/SimulatedRegistry.h"
#include "platform/testing/NullPlatform.h"
#include "transport/DriveLetters.h"
#include "transport/HostAdapterInquiry.h"
#include "transport/RegistryScan.h"
#include "transport/ScsiTransport.h"

namespace {

using namespace korvel;
using namespace korvel::platform;

constexpr int kMaxKeys = 48;

const char* const kDevices[] = {"KORVEL__CD-R___RZ6120___", "KORVEL__CD-ROM__________",
                                "OTHER___DISK____________"};
const char* const kInstances[] = {"0", "1", "MF&CHILD0000&PCI&VEN_1000"};
const char* const kValueNames[] = {"HardWareKey", "CurrentDriveLetterAssignment", "SCSITargetID",
                                   "Driver", ""};
const DWORD kTypes[] = {REG_SZ, REG_DWORD, REG_BINARY};

std::string Pick(FuzzedDataProvider& input, const char* const* names, std::size_t count) {
  const std::size_t i = input.ConsumeIntegralInRange<std::size_t>(0, count);
  return i < count ? std::string(names[i]) : input.ConsumeRandomLengthString(40);
}

template <std::size_t N>
std::string Pick(FuzzedDataProvider& input, const char* const (&names)[N]) {
  return Pick(input, names, N);
}

std::string KeyPath(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return "HKEY_DYN_DATA\\Config Manager\\Enum\\" + input.ConsumeRandomLengthString(12);
    case 1:
      return "HKEY_LOCAL_MACHINE\\Enum\\SCSI\\" + Pick(input, kDevices) + "\\" +
             Pick(input, kInstances);
    case 2:
      return "HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port " +
             std::to_string(input.ConsumeIntegralInRange<int>(0, 15));
    default:
      return "HKEY_LOCAL_MACHINE\\" + input.ConsumeRandomLengthString(60);
  }
}

std::vector<BYTE> ValueData(FuzzedDataProvider& input) {
  if (input.ConsumeBool()) {
    // A hardware key that may lead to an Enum\SCSI entry.
    const std::string text = "SCSI\\" + Pick(input, kDevices) + "\\" + Pick(input, kInstances);
    std::vector<BYTE> data(text.begin(), text.end());
    if (input.ConsumeBool()) data.push_back(0);
    return data;
  }
  return input.ConsumeBytes<BYTE>(input.ConsumeIntegralInRange<std::size_t>(0, 300));
}

// Every INQUIRY is answered by one of the maker's drives, its product chosen by the target, so
// that registry entries can be matched to addresses.
class KorvelDrives : public transport::CommandBackend {
 public:
  transport::BackendOutcome Execute(const transport::CommandRequest& request) override {
    if (request.cdb[0] != 0x12 || request.dataOut) return {2, std::nullopt};
    std::array<std::uint8_t, 36> data{};
    std::memset(data.data(), ' ', data.size());
    data[0] = 0x05;
    std::memcpy(&data[8], "KORVEL  ", 8);
    std::memcpy(&data[16], request.target % 2 == 0 ? "CD-R   RZ6120   " : "CD-ROM          ", 16);
    const std::size_t n = std::min<std::size_t>(request.length, data.size());
    if (n > 0) std::memcpy(request.buffer, data.data(), n);
    return {1, std::nullopt};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool windowsNt = input.ConsumeBool();
  const std::uint32_t adapters = input.ConsumeIntegralInRange<std::uint32_t>(0, 9);

  sim::SimulatedRegistry registry;
  for (int k = 0; k < kMaxKeys && input.remaining_bytes() > 0; ++k) {
    sim::RegistryKey* key = registry.tree().Create(KeyPath(input));
    const int values = input.ConsumeIntegralInRange<int>(0, 4);
    for (int v = 0; key != nullptr && v < values; ++v) {
      const std::string name = Pick(input, kValueNames);
      const DWORD type =
          input.ConsumeBool() ? input.PickValueInArray(kTypes) : input.ConsumeIntegral<DWORD>();
      key->SetValue(name, type, ValueData(input));
    }
  }

  testing::NullPlatform machine;
  Platform platform{machine.kernel, machine.deviceIo, registry,      machine.files,
                    machine.memory, machine.versions, machine.shell, machine.volumes};
  transport::ScsiTransport transport(platform);
  transport.SetHostBackend(std::make_unique<KorvelDrives>());
  transport.state().WindowsNtFlag = windowsNt;
  transport.state().HostAdapterCount = adapters;

  transport::ScanConfigManagerEnum(transport);
  for (int port = 0; port < 16; ++port) transport::ScsiPortDriverName(transport, port);
  transport::BuildDriveLetterMap(transport);
  for (std::uint8_t adapter = 0; adapter < 9; ++adapter) {
    for (std::uint8_t target = 0; target < 16; ++target) {
      transport::DriveLetterOf(transport, adapter, target);
    }
  }
  // Every key the readers opened was closed again.
  if (registry.openKeys() != 0) __builtin_trap();
  return 0;
}
