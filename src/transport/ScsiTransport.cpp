#include "transport/ScsiTransport.h"

#include <algorithm>
#include <span>

#include "formats/SenseLayout.h"
#include "platform/AspiRecords.h"
#include "transport/AspiBackend.h"
#include "transport/CdbLength.h"
#include "transport/PassThroughBackend.h"

namespace korvel::transport {

ScsiTransport::ScsiTransport(platform::Platform& platform)
    : platform_(platform),
      aspi_(std::make_unique<AspiBackend>(platform, state_)),
      passThrough_(std::make_unique<PassThroughBackend>(platform, state_)) {}

ScsiTransport::~ScsiTransport() = default;

void ScsiTransport::SetHostBackend(std::unique_ptr<CommandBackend> backend) {
  hostBackend_ = std::move(backend);
}

CommandBackend& ScsiTransport::ActiveBackend() {
  if (state_.PassThroughMode) return *passThrough_;
  if (hostBackend_) return *hostBackend_;
  return *aspi_;
}

std::int32_t ScsiTransport::ExecuteCommand(std::uint8_t adapter, std::uint8_t target,
                                           const std::uint8_t* cdb, std::uint8_t* buffer,
                                           std::uint32_t length) {
  CommandRequest request{adapter,           target, cdb,   CdbLengthOf(cdb[0]),
                         IsDataOut(cdb[0]), buffer, length};
  BackendOutcome outcome;
  std::optional<int> slot = SlotOf(adapter, target);
  if (!slot) {
    // No slot in the per-address tables: refuse before anything is sent, with the answer the
    // back end itself gives an address it does not know.
    if (state_.PassThroughMode) {
      outcome.status = kStatusNoDriveHandle;
    } else {
      outcome.status = adapter >= kMaxAdapters ? platform::SS_INVALID_HA : platform::SS_NO_DEVICE;
    }
  } else {
    outcome = ActiveBackend().Execute(request);
    if (outcome.status != 1 && outcome.sense) {
      std::copy(outcome.sense->begin(), outcome.sense->end(), state_.SenseTable[*slot].begin());
    }
  }

  lastCommand_ = LastCommandRecord{adapter, target, cdb[0], outcome.status,
                                   slot && outcome.status != 1 && outcome.sense.has_value()};
  if (log_ != nullptr) {
    CommandLogEntry entry;
    entry.adapter = adapter;
    entry.target = target;
    entry.cdb = std::span(cdb, request.cdbLength);
    entry.dataOut = request.dataOut;
    entry.length = length;
    if (request.dataOut && buffer != nullptr) entry.dataOutBytes = std::span(buffer, length);
    entry.status = outcome.status;
    if (outcome.status != 1 && outcome.sense) entry.sense = *outcome.sense;
    log_->Record(entry);
  }
  return outcome.status;
}

std::int32_t ScsiTransport::LastSense(std::uint8_t adapter, std::uint8_t target) const {
  std::optional<int> slot = SlotOf(adapter, target);
  if (!slot) return 0;
  const SenseSlot& sense = state_.SenseTable[*slot];
  using namespace formats::sense_layout;
  return sense[kSenseKey] * 65536 + sense[kAsc] * 256 + sense[kAscq];
}

}  // namespace korvel::transport
