#include "emulator/KorvelDrive.h"

#include <algorithm>
#include <array>

#include "emulator/DiscLayout.h"
#include "formats/ScsiOpcodes.h"
#include "platform/BigEndian.h"

namespace korvel::emulator {
namespace {

// READ(6) carries a 21-bit address; the top 3 bits of byte 1 are the old LUN field.
constexpr std::uint32_t kRead6LastAddress = 0x1FFFFF;
// READ CD byte 9: which fields of each sector to return.
constexpr std::uint8_t kReadCdNothing = 0x00;
constexpr std::uint8_t kReadCdUserData = 0x10;
constexpr std::uint8_t kReadCdWholeSector = 0xF8;

bool AnsweredWhileRestarting(std::uint8_t code) {
  return code == formats::opcode::kInquiry || code == formats::opcode::kRequestSense;
}

}  // namespace

KorvelDrive::KorvelDrive(const DeviceConfig& config, Clock& clock)
    : EmulatedDevice(config, clock),
      model_(ModelOfProduct(config.product)),
      firmware_(model_.firmwareFormat),
      restart_(config.restartMs),
      memory_(config.memory),
      modePages_(config.modePages,
                 config.disc ? static_cast<std::uint32_t>(DiscLayout(*config.disc).Capacity()) : 0),
      speed_(config.speedFamily.value_or(SpeedFamilyOfProduct(config.product))),
      disc_(config.disc) {
  // A vendor-page drive starts at the speed its page 0x31 setting names.
  if (speed_.family() == SpeedFamily::VendorPage) {
    if (auto setting = modePages_.CurrentPageByte(kVendorSpeedPage, kVendorSpeedSetting)) {
      modePages_.SetCurrentReadSpeed(SpeedModel::ReadSpeedOfSetting(*setting));
    }
  }
}

SenseCode KorvelDrive::IdleSense() {
  return restart_.Restarting(clock().NowMs()) ? sense::kBecomingReady : sense::kNoSense;
}

CommandResult KorvelDrive::Dispatch(const Command& command) {
  const std::uint8_t code = command.opcode();
  if (!AnsweredWhileRestarting(code)) {
    const std::uint64_t now = clock().NowMs();
    if (restart_.Restarting(now)) return CheckCondition(sense::kBecomingReady);
    if (restart_.TakeUnitAttention(now)) return CheckCondition(sense::kPowerOnReset);
  }
  switch (code) {
    case formats::opcode::kInquiry:
      return Inquiry(command);
    case formats::opcode::kRequestSense:
      return RequestSense(command);
    case formats::opcode::kTestUnitReady:
      return TestUnitReady();
    case formats::opcode::kRezeroUnit:
      return Good();
    case formats::opcode::kWriteBuffer:
      return WriteBuffer(command);
    case formats::opcode::kReadDriveMemory:
      return ReadDriveMemory(command);
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
    case formats::opcode::kReadCd:
      return ReadCd(command);
    case formats::opcode::kReadCapacity:
      return ReadCapacity(command);
    case formats::opcode::kSetCdSpeed:
      return SetCdSpeed(command);
    default:
      return CheckCondition(sense::kInvalidOpcode);
  }
}

CommandResult KorvelDrive::TestUnitReady() {
  return disc_ ? Good() : CheckCondition(sense::kMediumNotPresent);
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
  }
  return Good(length);
}

CommandResult KorvelDrive::ReadDriveMemory(const Command& command) {
  const std::uint64_t address = command.Field(2, 4);
  const std::uint64_t length = command.Field(6, 4);
  if (!memory_.Covers(address, length)) return CheckCondition(sense::kLbaOutOfRange);
  const std::size_t count =
      static_cast<std::size_t>(std::min<std::uint64_t>(length, command.data.size()));
  std::vector<std::uint8_t> bytes(count);
  memory_.Read(address, bytes);
  return SendToHost(command, bytes);
}

CommandResult KorvelDrive::ModeSense(const Command& command, bool tenByte) {
  if (!tenByte && model_.tenByteModeCommandsOnly) return CheckCondition(sense::kInvalidOpcode);
  const std::uint8_t pageCode = command.cdb[2] & mode_layout::kPageCodeMask;
  const auto control = static_cast<PageControl>(command.cdb[2] >> 6);
  const bool disableBlockDescriptors = (command.cdb[1] & 0x08) != 0;
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
    return speed_.Accepts(pageCode, page, newSetting);
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
  return SendSectors(command, lba, count,
                     modePages_.blockLength() == kRawSectorSize ? kRawSectorSize : kUserDataSize);
}

CommandResult KorvelDrive::ReadCd(const Command& command) {
  const auto lba = static_cast<std::uint32_t>(command.Field(2, 4));
  const auto count = static_cast<std::uint32_t>(command.Field(6, 3));
  const std::uint8_t fields = command.cdb[9];
  if (command.cdb[10] != 0) return CheckCondition(sense::kInvalidFieldInCdb);
  std::size_t sectorSize = 0;
  switch (fields) {
    case kReadCdUserData:
      sectorSize = kUserDataSize;
      break;
    case kReadCdWholeSector:
      sectorSize = kRawSectorSize;
      break;
    case kReadCdNothing:
      break;
    default:
      return CheckCondition(sense::kInvalidFieldInCdb);
  }
  return SendSectors(command, lba, count, sectorSize);
}

CommandResult KorvelDrive::SendSectors(const Command& command, std::uint32_t lba,
                                       std::uint32_t count, std::size_t sectorSize) {
  if (!disc_) return CheckCondition(sense::kMediumNotPresent);
  if (static_cast<std::uint64_t>(lba) + count >
      static_cast<std::uint64_t>(DiscLayout(*disc_).Capacity())) {
    return CheckCondition(sense::kLbaOutOfRange);
  }
  const std::uint64_t total = std::uint64_t{count} * sectorSize;
  if (total == 0 || command.data.empty()) return Good();
  if (command.direction != Direction::In) return CheckCondition(sense::kDataPhaseError);
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(total, command.data.size()));
  std::array<std::uint8_t, kRawSectorSize> sector{};
  for (std::size_t done = 0; done < wanted; ++lba) {
    if (sectorSize == kRawSectorSize) {
      FillRawSector(lba, std::span(sector));
    } else {
      FillUserData(lba, std::span(sector).first<kUserDataSize>());
    }
    const std::size_t piece = std::min(sectorSize, wanted - done);
    std::copy_n(sector.begin(), piece, command.data.begin() + done);
    done += piece;
  }
  return Good(static_cast<std::uint32_t>(wanted));
}

CommandResult KorvelDrive::ReadCapacity(const Command& command) {
  if (!disc_) return CheckCondition(sense::kMediumNotPresent);
  std::array<std::uint8_t, 8> answer{};
  platform::PutBigEndian(answer.data(), DiscLayout(*disc_).Capacity() - 1, 4);
  platform::PutBigEndian(answer.data() + 4, kUserDataSize, 4);
  return SendToHost(command, answer);
}

CommandResult KorvelDrive::SetCdSpeed(const Command& command) {
  modePages_.SetCurrentSpeeds(static_cast<std::uint16_t>(command.Field(2, 2)),
                              static_cast<std::uint16_t>(command.Field(4, 2)));
  return Good();
}

}  // namespace korvel::emulator
