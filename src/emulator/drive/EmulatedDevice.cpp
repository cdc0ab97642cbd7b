#include "emulator/drive/EmulatedDevice.h"

#include <algorithm>

#include "emulator/drive/InquiryData.h"
#include "formats/ScsiOpcodes.h"

namespace korvel::emulator {

EmulatedDevice::EmulatedDevice(const DeviceConfig& config, Clock& clock)
    : config_(config), clock_(clock), faults_(config.faults) {}

CommandResult EmulatedDevice::Execute(std::span<const std::uint8_t> cdb, Direction direction,
                                      std::span<std::uint8_t> data) {
  return Run(cdb, direction, data, false);
}

CommandResult EmulatedDevice::ExecuteWithAutoSense(std::span<const std::uint8_t> cdb,
                                                   Direction direction,
                                                   std::span<std::uint8_t> data) {
  return Run(cdb, direction, data, true);
}

CommandResult EmulatedDevice::Run(std::span<const std::uint8_t> cdb, Direction direction,
                                  std::span<std::uint8_t> data, bool autoSense) {
  std::lock_guard lock(mutex_);
  if (config_.delayMs > 0) clock_.Sleep(config_.delayMs);
  CommandResult result;
  if (cdb.empty()) {
    result = CheckCondition(sense::kInvalidOpcode);
  } else if (cdb.size() < formats::CdbLengthOf(cdb[0])) {
    result = CheckCondition(sense::kInvalidFieldInCdb);
  } else {
    const Command command{cdb, direction, data};
    if (auto forced = faults_.Apply(command)) {
      result = *forced;
    } else {
      result = Dispatch(command);
    }
  }
  // A command that never reached the device leaves what it kept; any other than REQUEST SENSE
  // (which hands the sense over itself) ends it. Conditions are not kept here: the restart's
  // NOT READY and UNIT ATTENTION are asked of the drive's state at each command.
  if (!result.answered) return result;
  const bool requestSense = !cdb.empty() && cdb[0] == formats::opcode::kRequestSense;
  if (!requestSense) pendingSense_.reset();
  if (result.status == kStatusCheckCondition && !autoSense) pendingSense_ = result.sense;
  return result;
}

CommandResult EmulatedDevice::Inquiry(const Command& command) {
  namespace layout = inquiry_layout;
  // Vital product data pages are not offered.
  if ((command.cdb[1] & 0x01) != 0 || command.cdb[2] != 0) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  std::array<std::uint8_t, layout::kLength> answer{};
  answer[layout::kPeripheral] = config_.peripheral;
  answer[layout::kRemovable] = layout::kRemovableBit;
  answer[layout::kVersion] = layout::kScsi2;
  answer[layout::kResponseFormat] = layout::kScsi2;
  answer[layout::kAdditionalLength] = static_cast<std::uint8_t>(layout::kLength - 5);
  std::copy(config_.vendor.begin(), config_.vendor.end(), answer.begin() + layout::kVendor);
  std::copy(config_.product.begin(), config_.product.end(), answer.begin() + layout::kProduct);
  std::copy(config_.revision.begin(), config_.revision.end(), answer.begin() + layout::kRevision);
  const std::size_t allocation = command.cdb[4];
  return SendToHost(command, std::span(answer).first(std::min(allocation, answer.size())));
}

CommandResult EmulatedDevice::RequestSense(const Command& command) {
  // IdleSense may hand over a condition, so it is asked only when no sense is kept.
  const SenseData answer = pendingSense_ ? *pendingSense_ : MakeSenseData(IdleSense());
  pendingSense_.reset();
  const std::size_t allocation = command.cdb[4];
  return SendToHost(command, std::span(answer).first(std::min(allocation, answer.size())));
}

}  // namespace korvel::emulator
