#include "platform/sim/EmulatedBus.h"

#include <algorithm>

#include "emulator/DeviceFactory.h"
#include "formats/BigEndian.h"

namespace korvel::platform::sim {
namespace {

using formats::PutBigEndian;

constexpr std::uint8_t kInquiry = 0x12;

std::optional<InquiryData> AskInquiry(emulator::ScsiTarget& device) {
  InquiryData data{};
  std::array<std::uint8_t, 6> cdb{kInquiry, 0, 0, 0, 0, 0};
  PutBigEndian(&cdb[3], data.size(), 2);
  emulator::CommandResult result = device.Execute(cdb, emulator::Direction::In, data);
  if (!result.answered || result.status != emulator::kStatusGood) return std::nullopt;
  return data;
}

}  // namespace

DeviceMaker EmulatorDeviceMaker() {
  return [](const AdapterSettings&, const TargetSettings& target, emulator::Clock& clock) {
    return emulator::MakeDevice(target.device, clock);
  };
}

EmulatedBus::EmulatedBus(const Scenario& scenario, emulator::Clock& clock, const DeviceMaker& maker)
    : scenario_(scenario) {
  for (const AdapterSettings& adapter : scenario.adapters) {
    for (const TargetSettings& target : adapter.targets) {
      auto entry = std::make_unique<BusDevice>();
      entry->adapter = &adapter;
      entry->target = &target;
      entry->device = maker(adapter, target, clock);
      entry->bootInquiry = AskInquiry(*entry->device);
      devices_.push_back(std::move(entry));
    }
  }
  std::stable_sort(devices_.begin(), devices_.end(),
                   [](const auto& a, const auto& b) { return a->target->id < b->target->id; });
}

const AdapterSettings* EmulatedBus::AdapterById(std::uint8_t aspiId) const {
  for (const AdapterSettings& adapter : scenario_.adapters) {
    if (adapter.id == aspiId) return &adapter;
  }
  return nullptr;
}

const AdapterSettings* EmulatedBus::AdapterByPort(std::uint8_t port) const {
  for (const AdapterSettings& adapter : scenario_.adapters) {
    if (adapter.port == port) return &adapter;
  }
  return nullptr;
}

BusDevice* EmulatedBus::Find(std::uint8_t aspiId, std::uint8_t target) {
  for (auto& entry : devices_) {
    if (entry->adapter->id == aspiId && entry->target->id == target) return entry.get();
  }
  return nullptr;
}

BusDevice* EmulatedBus::FindByLetter(char letter) {
  for (auto& entry : devices_) {
    if (entry->target->letter == letter) return entry.get();
  }
  return nullptr;
}

std::vector<BusDevice*> EmulatedBus::DevicesOf(const AdapterSettings& adapter) {
  std::vector<BusDevice*> found;
  for (auto& entry : devices_) {
    if (entry->adapter == &adapter) found.push_back(entry.get());
  }
  return found;
}

emulator::CommandResult EmulatedBus::Execute(BusDevice& device, std::span<const std::uint8_t> cdb,
                                             emulator::Direction direction,
                                             std::span<std::uint8_t> data) {
  ++device.commands;
  return device.device->Execute(cdb, direction, data);
}

std::uint64_t EmulatedBus::CommandCount(std::uint8_t aspiId, std::uint8_t target) {
  BusDevice* device = Find(aspiId, target);
  return device == nullptr ? 0 : device->commands.load();
}

}  // namespace korvel::platform::sim
