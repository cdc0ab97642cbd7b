// The SCSI buses of the simulated PC: every emulated device by host adapter and target, the
// INQUIRY data each one gave when the PC booted, and a count of the commands each has run.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "emulator/Clock.h"
#include "emulator/ScsiTarget.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

// Makes the device of one target; the default is the emulator's factory.
using DeviceMaker = std::function<std::unique_ptr<emulator::ScsiTarget>(
    const AdapterSettings&, const TargetSettings&, emulator::Clock&)>;
DeviceMaker EmulatorDeviceMaker();

inline constexpr std::size_t kBootInquiryLength = 36;
using InquiryData = std::array<std::uint8_t, kBootInquiryLength>;

struct BusDevice {
  const AdapterSettings* adapter = nullptr;
  const TargetSettings* target = nullptr;
  std::unique_ptr<emulator::ScsiTarget> device;
  // What the device answered to the INQUIRY at boot; empty when it did not answer GOOD.
  std::optional<InquiryData> bootInquiry;
  std::atomic<std::uint64_t> commands{0};
};

class EmulatedBus {
 public:
  // Makes every device and sends each one INQUIRY, as the operating system does while it boots.
  EmulatedBus(const Scenario& scenario, emulator::Clock& clock, const DeviceMaker& maker);

  const AdapterSettings* AdapterById(std::uint8_t aspiId) const;
  const AdapterSettings* AdapterByPort(std::uint8_t port) const;
  BusDevice* Find(std::uint8_t aspiId, std::uint8_t target);
  BusDevice* FindByLetter(char letter);
  // The devices of one adapter, in ascending target order.
  std::vector<BusDevice*> DevicesOf(const AdapterSettings& adapter);

  emulator::CommandResult Execute(BusDevice& device, std::span<const std::uint8_t> cdb,
                                  emulator::Direction direction, std::span<std::uint8_t> data);

  // Commands sent by the system (the boot INQUIRY is not counted); 0 for an empty address.
  std::uint64_t CommandCount(std::uint8_t aspiId, std::uint8_t target);

 private:
  const Scenario& scenario_;
  std::vector<std::unique_ptr<BusDevice>> devices_;
};

}  // namespace korvel::platform::sim
