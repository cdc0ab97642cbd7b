// What every emulated device shares: one lock per device, the configured delay, the fault
// rules, INQUIRY, REQUEST SENSE and the sense kept from the last CHECK CONDITION.
#pragma once

#include <array>
#include <mutex>

#include "emulator/Clock.h"
#include "emulator/Command.h"
#include "emulator/DeviceConfig.h"
#include "emulator/ScsiTarget.h"
#include "emulator/drive/FaultInjector.h"

namespace korvel::emulator {

class EmulatedDevice : public ScsiTarget {
 public:
  EmulatedDevice(const DeviceConfig& config, Clock& clock);

  // Safe to call from several threads: each device serialises its own commands.
  CommandResult Execute(std::span<const std::uint8_t> cdb, Direction direction,
                        std::span<std::uint8_t> data) final;
  CommandResult ExecuteWithAutoSense(std::span<const std::uint8_t> cdb, Direction direction,
                                     std::span<std::uint8_t> data) final;

 protected:
  // Runs one command that passed the delay and the fault rules; called with the lock held.
  virtual CommandResult Dispatch(const Command& command) = 0;
  // What REQUEST SENSE reports when no CHECK CONDITION is pending; a condition it reports (a
  // UNIT ATTENTION) is thereby delivered.
  virtual SenseCode IdleSense() { return sense::kNoSense; }

  CommandResult Inquiry(const Command& command);
  CommandResult RequestSense(const Command& command);

  Clock& clock() { return clock_; }
  void SetRevision(const std::array<char, 4>& revision) { config_.revision = revision; }
  const DeviceConfig& config() const { return config_; }

 private:
  DeviceConfig config_;
  Clock& clock_;
  FaultInjector faults_;
  CommandResult Run(std::span<const std::uint8_t> cdb, Direction direction,
                    std::span<std::uint8_t> data, bool autoSense);

  std::mutex mutex_;
  // Sense of the last CHECK CONDITION, as a real drive keeps it: until it is delivered (by
  // REQUEST SENSE, or with the status to an auto-sense host adapter) or the next command comes.
  std::optional<SenseData> pendingSense_;
};

}  // namespace korvel::emulator
