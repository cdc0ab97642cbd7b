#include "emulator/drive/KorvelDrive.h"

#include <algorithm>

#include "emulator/drive/EventStatus.h"
#include "emulator/drive/WriteParameters.h"
#include "formats/ScsiOpcodes.h"

namespace korvel::emulator {
namespace {

// READ(6) carries a 21-bit address; the top 3 bits of byte 1 are the old LUN field.
constexpr std::uint32_t kRead6LastAddress = 0x1FFFFF;

// GET EVENT STATUS NOTIFICATION: the Polled bit in byte 1, the class request in byte 4, the
// allocation length in bytes 7..8.
constexpr std::uint8_t kPolledBit = 0x01;

bool AnsweredWhileRestarting(std::uint8_t code) {
  return code == formats::opcode::kInquiry || code == formats::opcode::kRequestSense;
}

// The commands that report events rather than suffer them never take the UNIT ATTENTION of a
// disc change.
bool TakesUnitAttention(std::uint8_t code) {
  return code != formats::opcode::kInquiry && code != formats::opcode::kRequestSense &&
         code != formats::opcode::kGetEventStatusNotification;
}

// The commands that need a loaded disc; everything else (the firmware download among them)
// works the same with the tray open or empty.
bool NeedsDisc(std::uint8_t code) {
  namespace opcode = formats::opcode;
  switch (code) {
    case opcode::kTestUnitReady:
    case opcode::kRead6:
    case opcode::kRead10:
    case opcode::kReadCd:
    case opcode::kReadCapacity:
    case opcode::kSeek10:
    case opcode::kReadSubChannel:
    case opcode::kReadToc:
    case opcode::kReadDiscInformation:
    case opcode::kReadTrackInformation:
      return true;
    default:
      return false;
  }
}

}  // namespace

KorvelDrive::KorvelDrive(const DeviceConfig& config, Clock& clock)
    : EmulatedDevice(config, clock),
      model_(ModelOfProduct(config.product)),
      firmware_(model_.firmwareFormat),
      restart_(config.restartMs),
      memory_(config.memory),
      vendorMemory_(config.vendorMemory),
      disc_(config.disc),
      tray_(config.disc.has_value(), config.trayOpen),
      modePages_(config.modePages, disc_.Capacity()),
      speed_(config.speedFamily.value_or(SpeedFamilyOfProduct(config.product))) {
  // A vendor-page drive starts at the speed its page 0x31 setting names.
  if (speed_.family() == SpeedFamily::VendorPage) {
    if (auto setting = modePages_.CurrentPageByte(kVendorSpeedPage, kVendorSpeedSetting)) {
      modePages_.SetCurrentReadSpeed(SpeedModel::ReadSpeedOfSetting(*setting));
    }
  }
}

SenseCode KorvelDrive::IdleSense() {
  if (restart_.Restarting(clock().NowMs())) return sense::kBecomingReady;
  return tray_.TakeUnitAttention() ? sense::kMediumMayHaveChanged : sense::kNoSense;
}

CommandResult KorvelDrive::Dispatch(const Command& command) {
  const std::uint8_t code = command.opcode();
  if (!AnsweredWhileRestarting(code)) {
    const std::uint64_t now = clock().NowMs();
    if (restart_.Restarting(now)) return CheckCondition(sense::kBecomingReady);
    if (restart_.TakeUnitAttention(now)) return CheckCondition(sense::kPowerOnReset);
  }
  if (TakesUnitAttention(code) && tray_.TakeUnitAttention()) {
    return CheckCondition(sense::kMediumMayHaveChanged);
  }
  if (NeedsDisc(code) && !tray_.DiscLoaded()) return CheckCondition(tray_.NotPresentSense());
  switch (code) {
    case formats::opcode::kInquiry:
      return Inquiry(command);
    case formats::opcode::kRequestSense:
      return RequestSense(command);
    case formats::opcode::kTestUnitReady:
      return Good();
    case formats::opcode::kRezeroUnit:
      return Good();
    case formats::opcode::kStartStopUnit:
      return tray_.StartStopUnit(command);
    case formats::opcode::kPreventAllowMediumRemoval:
      return tray_.PreventAllowMediumRemoval(command);
    case formats::opcode::kGetEventStatusNotification:
      return GetEventStatusNotification(command);
    case formats::opcode::kWriteBuffer:
      return WriteBuffer(command);
    case formats::opcode::kReadDriveMemory:
      return ReadMemory(command, memory_, command.Field(2, 4), command.Field(6, 4));
    case formats::opcode::kVendorReadF1:
      return ReadMemory(command, vendorMemory_, command.Field(2, 4), command.Field(8, 2));
    case formats::opcode::kVendorStatusDe:
      return SendToHost(command, config().vendorStatus);
    case formats::opcode::kModeSense6:
      return ModeSense(command, false);
    case formats::opcode::kModeSense10:
      return ModeSense(command, true);
    case formats::opcode::kModeSelect6:
      return ModeSelect(command, false);
    case formats::opcode::kModeSelect10:
      return ModeSelect(command, true);
    case formats::opcode::kRead6:
      return Read6(command);
    case formats::opcode::kRead10:
      return Read10(command);
    case formats::opcode::kReadCd:
      return disc_.ReadCd(command);
    case formats::opcode::kReadCapacity:
      return disc_.ReadCapacity(command);
    case formats::opcode::kSeek10:
      return disc_.Seek10(command);
    case formats::opcode::kReadSubChannel:
      return disc_.ReadSubChannel(command);
    case formats::opcode::kReadToc:
      return disc_.ReadToc(command);
    case formats::opcode::kReadDiscInformation:
      return disc_.ReadDiscInformation(command);
    case formats::opcode::kReadTrackInformation:
      return disc_.ReadTrackInformation(command);
    case formats::opcode::kSetCdSpeed:
      return SetCdSpeed(command);
    default:
      return CheckCondition(sense::kInvalidOpcode);
  }
}

CommandResult KorvelDrive::GetEventStatusNotification(const Command& command) {
  if ((command.cdb[1] & kPolledBit) == 0) return CheckCondition(sense::kInvalidFieldInCdb);
  const std::vector<std::uint8_t> answer =
      EventStatusAnswer(command.cdb[4], {tray_.PeekMediaEvent(), tray_.open(), tray_.DiscLoaded()});
  const std::size_t allocation = command.Field(7, 2);
  const CommandResult result =
      SendToHost(command, std::span(answer).first(std::min(allocation, answer.size())));
  // An event counts as reported once its descriptor has reached the host.
  if (result.status == kStatusGood &&
      result.transferred >=
          event_status_layout::kHeaderLength + event_status_layout::kMediaDescriptorLength) {
    tray_.MediaEventReported();
  }
  return result;
}

CommandResult KorvelDrive::WriteBuffer(const Command& command) {
  const auto offset = static_cast<std::uint32_t>(command.Field(3, 3));
  const auto length = static_cast<std::uint32_t>(command.Field(6, 3));
  if (auto refusal = firmware_.CheckRequest(command.mode(), command.cdb[2], offset, length)) {
    return CheckCondition(*refusal);
  }
  // The host hands 4 bytes more than the parameter list length; they are not firmware.
  const ReceivedData received = ReceiveFromHost(command, length);
  if (received.refusal) return CheckCondition(*received.refusal);
  const FirmwareStore::Outcome outcome = firmware_.Download(command.mode(), offset, received.bytes);
  if (outcome.refusal) return CheckCondition(*outcome.refusal);
  if (outcome.savedRevision) {
    SetRevision(*outcome.savedRevision);
    restart_.Begin(clock().NowMs());
    tray_.Reset();
  }
  return Good(length);
}

CommandResult KorvelDrive::ReadMemory(const Command& command, const DriveMemory& memory,
                                      std::uint64_t address, std::uint64_t length) {
  if (!memory.Covers(address, length)) return CheckCondition(sense::kLbaOutOfRange);
  const std::size_t count =
      static_cast<std::size_t>(std::min<std::uint64_t>(length, command.data.size()));
  std::vector<std::uint8_t> bytes(count);
  memory.Read(address, bytes);
  return SendToHost(command, bytes);
}

CommandResult KorvelDrive::ModeSense(const Command& command, bool tenByte) {
  if (!tenByte && model_.tenByteModeCommandsOnly) return CheckCondition(sense::kInvalidOpcode);
  const std::uint8_t pageCode = command.cdb[2] & mode_layout::kPageCodeMask;
  const auto control = static_cast<PageControl>(command.cdb[2] >> 6);
  const bool disableBlockDescriptors = (command.cdb[1] & 0x08) != 0;
  modePages_.SetCurrentLockState(tray_.locked());
  const auto answer = tenByte ? modePages_.Sense10(pageCode, control)
                              : modePages_.Sense6(pageCode, control, !disableBlockDescriptors);
  if (!answer) return CheckCondition(sense::kInvalidFieldInCdb);
  const std::size_t allocation = tenByte ? command.Field(7, 2) : command.cdb[4];
  return SendToHost(command, std::span(*answer).first(std::min(allocation, answer->size())));
}

CommandResult KorvelDrive::ModeSelect(const Command& command, bool tenByte) {
  if (!tenByte && model_.tenByteModeCommandsOnly) return CheckCondition(sense::kInvalidOpcode);
  const std::size_t length = tenByte ? command.Field(7, 2) : command.cdb[4];
  const ReceivedData received = ReceiveFromHost(command, length);
  if (received.refusal) return CheckCondition(*received.refusal);
  std::optional<std::uint8_t> newSetting;
  const auto check = [&](std::uint8_t pageCode, std::span<const std::uint8_t> page) {
    return WriteParametersAcceptable(pageCode, page) && speed_.Accepts(pageCode, page, newSetting);
  };
  if (auto refusal = modePages_.Select(received.bytes, tenByte, check)) {
    return CheckCondition(*refusal);
  }
  // A vendor-page drive changes its read speed with the setting, as SET CD SPEED would.
  if (newSetting) modePages_.SetCurrentReadSpeed(SpeedModel::ReadSpeedOfSetting(*newSetting));
  return Good(static_cast<std::uint32_t>(length));
}

CommandResult KorvelDrive::Read6(const Command& command) {
  // Bits above the 21 would be masked to another block's address: a host that sets them asks
  // for a block this command cannot reach, and gets an error rather than that other block.
  const auto lba = static_cast<std::uint32_t>(command.Field(1, 3));
  if (lba > kRead6LastAddress) return CheckCondition(sense::kLbaOutOfRange);
  const std::uint32_t count = command.cdb[4] == 0 ? 256 : command.cdb[4];
  return disc_.ReadBlocks(command, lba, count, modePages_.blockLength());
}

CommandResult KorvelDrive::Read10(const Command& command) {
  return disc_.ReadBlocks(command, static_cast<std::uint32_t>(command.Field(2, 4)),
                          static_cast<std::uint32_t>(command.Field(7, 2)),
                          modePages_.blockLength());
}

CommandResult KorvelDrive::SetCdSpeed(const Command& command) {
  modePages_.SetCurrentSpeeds(static_cast<std::uint16_t>(command.Field(2, 2)),
                              static_cast<std::uint16_t>(command.Field(4, 2)));
  return Good();
}

}  // namespace korvel::emulator
