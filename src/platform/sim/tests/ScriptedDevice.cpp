#include "ScriptedDevice.h"

#include <algorithm>
#include <cstring>

namespace korvel::platform::sim::testing {

ScriptedDevice::ScriptedDevice(const emulator::DeviceConfig& config) {
  inquiry_[0] = config.peripheral;
  inquiry_[4] = 31;
  std::memcpy(&inquiry_[8], config.vendor.data(), 8);
  std::memcpy(&inquiry_[16], config.product.data(), 16);
  std::memcpy(&inquiry_[32], config.revision.data(), 4);
}

emulator::CommandResult ScriptedDevice::Execute(std::span<const std::uint8_t> cdb,
                                                emulator::Direction direction,
                                                std::span<std::uint8_t> data) {
  std::lock_guard lock(mutex_);
  if (!answersInquiry_) return NoAnswer();
  SeenCommand command{{cdb.begin(), cdb.end()}, direction, {}, data.size()};
  if (direction == emulator::Direction::Out) command.dataOut.assign(data.begin(), data.end());
  seen_.push_back(command);
  if (script_.empty()) {
    if (!cdb.empty() && cdb[0] == 0x12) {
      std::size_t n = std::min(data.size(), inquiry_.size());
      std::copy_n(inquiry_.begin(), n, data.begin());
      return Good(static_cast<std::uint32_t>(n));
    }
    return Good();
  }
  auto [result, dataIn] = script_.front();
  script_.pop_front();
  if (direction == emulator::Direction::In) {
    std::copy_n(dataIn.begin(), std::min(dataIn.size(), data.size()), data.begin());
  }
  return result;
}

void ScriptedDevice::Answer(emulator::CommandResult result, std::vector<std::uint8_t> dataIn) {
  std::lock_guard lock(mutex_);
  script_.emplace_back(result, std::move(dataIn));
}

void ScriptedDevice::SetRevision(const std::string& revision) {
  std::lock_guard lock(mutex_);
  std::copy_n(revision.begin(), 4, inquiry_.begin() + 32);
}

std::vector<SeenCommand> ScriptedDevice::seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

DeviceMaker DeviceShelf::Maker() {
  return [this](const AdapterSettings& adapter, const TargetSettings& target, emulator::Clock&) {
    auto device = std::make_unique<ScriptedDevice>(target.device);
    const std::pair<int, int> address{adapter.id, target.id};
    devices_[address] = device.get();
    if (silent_[address]) device->answersInquiry_ = false;
    return device;
  };
}

ScriptedDevice& DeviceShelf::At(std::uint8_t adapter, std::uint8_t target) {
  return *devices_.at({adapter, target});
}

void DeviceShelf::Silence(std::uint8_t adapter, std::uint8_t target) {
  silent_[{adapter, target}] = true;
}

Scenario ScenarioOf(const std::string& json) {
  return LoadScenarioText(json);
}

emulator::CommandResult Good(std::uint32_t transferred) {
  emulator::CommandResult result;
  result.transferred = transferred;
  return result;
}

emulator::CommandResult CheckCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
  emulator::CommandResult result;
  result.status = emulator::kStatusCheckCondition;
  for (std::size_t i = 0; i < result.sense.size(); ++i) {
    result.sense[i] = static_cast<std::uint8_t>(0xA0 + i);  // every byte tells its position
  }
  result.sense[0] = 0x70;
  result.sense[2] = key;
  result.sense[7] = 10;
  result.sense[12] = asc;
  result.sense[13] = ascq;
  return result;
}

emulator::CommandResult NoAnswer() {
  emulator::CommandResult result;
  result.answered = false;
  return result;
}

}  // namespace korvel::platform::sim::testing
