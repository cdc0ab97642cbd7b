// A SCSI target whose answers a test writes in advance, and which remembers every command,
// so that the simulated PC's side of each request can be checked byte for byte.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/ScsiTarget.h"
#include "platform/sim/EmulatedBus.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::platform::sim::testing {

struct SeenCommand {
  std::vector<std::uint8_t> cdb;
  emulator::Direction direction;
  std::vector<std::uint8_t> dataOut;  // what the host sent, for data-out commands
  std::size_t length;                 // the transfer length the host gave
};

class ScriptedDevice : public emulator::ScsiTarget {
 public:
  explicit ScriptedDevice(const emulator::DeviceConfig& config);

  emulator::CommandResult Execute(std::span<const std::uint8_t> cdb, emulator::Direction direction,
                                  std::span<std::uint8_t> data) override;

  // The next command (after the INQUIRY of the boot) gets this result; data-in commands get
  // `dataIn` copied into the host's buffer.
  void Answer(emulator::CommandResult result, std::vector<std::uint8_t> dataIn = {});
  void SetRevision(const std::string& revision);
  std::vector<SeenCommand> seen() const;

 private:
  mutable std::mutex mutex_;
  std::array<std::uint8_t, 36> inquiry_{};
  bool answersInquiry_ = true;  // false: the device answers nothing at all
  std::deque<std::pair<emulator::CommandResult, std::vector<std::uint8_t>>> script_;
  std::vector<SeenCommand> seen_;

  friend class DeviceShelf;
};

// Makes scripted devices for a simulated PC and finds them again by adapter and target.
class DeviceShelf {
 public:
  DeviceMaker Maker();
  ScriptedDevice& At(std::uint8_t adapter, std::uint8_t target);
  // Devices at these addresses ignore the boot INQUIRY and every later command.
  void Silence(std::uint8_t adapter, std::uint8_t target);

 private:
  std::map<std::pair<int, int>, ScriptedDevice*> devices_;
  std::map<std::pair<int, int>, bool> silent_;
};

// A scenario from its JSON text, checked by the real loader.
Scenario ScenarioOf(const std::string& json);

emulator::CommandResult Good(std::uint32_t transferred = 0);
emulator::CommandResult CheckCondition(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);
emulator::CommandResult NoAnswer();

}  // namespace korvel::platform::sim::testing
