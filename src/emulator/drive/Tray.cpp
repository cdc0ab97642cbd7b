#include "emulator/drive/Tray.h"

namespace korvel::emulator {
namespace {

// START STOP UNIT: Immed in byte 1 bit 0 (the drive moves at once either way); byte 4 holds the
// power condition (bits 7..4), LoEj (bit 1) and Start (bit 0). The top 3 bits of byte 1 are
// the old LUN field.
constexpr std::uint8_t kStartStopByte1Reserved = 0x1E;
constexpr std::uint8_t kLoadEjectBit = 0x02;
constexpr std::uint8_t kStartBit = 0x01;
constexpr std::uint8_t kStartStopByte4Known = kLoadEjectBit | kStartBit;

// PREVENT ALLOW MEDIUM REMOVAL: prevent (1) or allow (0) in byte 4; the drive has no persistent
// prevention.
constexpr std::uint8_t kPreventBit = 0x01;

}  // namespace

CommandResult Tray::StartStopUnit(const Command& command) {
  // The drive has no power conditions (no power condition page): a host asking for one gets
  // a bad field, as for the reserved bits.
  if ((command.cdb[1] & kStartStopByte1Reserved) != 0 || command.cdb[2] != 0 ||
      command.cdb[3] != 0 || (command.cdb[4] & ~kStartStopByte4Known) != 0) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  const bool loadEject = (command.cdb[4] & kLoadEjectBit) != 0;
  const bool start = (command.cdb[4] & kStartBit) != 0;
  // Without LoEj the spindle starts or stops; it spins up again by itself for the next read,
  // so nothing the host sees changes.
  if (!loadEject) return Good();
  if (start) {
    Load();
    return Good();
  }
  if (auto refusal = Eject()) return CheckCondition(*refusal);
  return Good();
}

CommandResult Tray::PreventAllowMediumRemoval(const Command& command) {
  if ((command.cdb[4] & ~kPreventBit) != 0) return CheckCondition(sense::kInvalidFieldInCdb);
  locked_ = (command.cdb[4] & kPreventBit) != 0;
  return Good();
}

SenseCode Tray::NotPresentSense() const {
  return open_ ? sense::kMediumNotPresentTrayOpen : sense::kMediumNotPresentTrayClosed;
}

bool Tray::TakeUnitAttention() {
  const bool pending = unitAttentionPending_;
  unitAttentionPending_ = false;
  return pending;
}

std::optional<SenseCode> Tray::Eject() {
  // An open tray does not move, so the lock has nothing to hold back.
  if (open_) return std::nullopt;
  if (locked_) return sense::kMediumRemovalPrevented;
  open_ = true;
  if (discOnTray_) event_ = MediaEvent::MediaRemoval;
  return std::nullopt;
}

void Tray::Load() {
  if (!open_) return;
  open_ = false;
  if (!discOnTray_) return;
  unitAttentionPending_ = true;
  event_ = MediaEvent::NewMedia;
}

}  // namespace korvel::emulator
