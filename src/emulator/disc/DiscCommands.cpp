#include "emulator/disc/DiscCommands.h"

#include <algorithm>
#include <array>

#include "emulator/disc/DiscInfoAnswers.h"
#include "emulator/disc/DiscSectors.h"
#include "emulator/disc/DiscTime.h"
#include "emulator/disc/SubChannel.h"
#include "emulator/disc/SubChannelAnswers.h"
#include "emulator/disc/TocAnswers.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

// READ TOC: the MSF bit in byte 1, the format in byte 2, or in the top bits of the control byte
// (byte 9) as older hosts send it.
constexpr std::uint8_t kMsfBit = 0x02;
constexpr std::uint8_t kTocFormatMask = 0x0F;
constexpr std::size_t kTocControlByte = 9;
constexpr std::uint8_t kTocControlFormatShift = 6;

// READ SUB-CHANNEL: SubQ bit in byte 2, the data format in byte 3, the track in byte 6.
constexpr std::uint8_t kSubQBit = 0x40;

// READ CD byte 1: the sector type the host expects.
enum class ExpectedSector : std::uint8_t {
  Any = 0,
  Audio = 1,
  Mode1 = 2,
  Mode2Formless = 3,
  Mode2Form1 = 4,
  Mode2Form2 = 5
};
constexpr std::uint8_t kLastSectorType = 5;

// The most a READ CD block carries: a whole sector, the C2 bits with the block error byte and
// its pad, raw P-W.
constexpr std::size_t kMaxBlockSize = kRawSectorSize + kC2AndBlockErrorSize + kRawSubChannelSize;

// A blank disc reports the block before the 150-block lead-in gap as its last: -151.
constexpr std::uint32_t kBlankLastBlock = 0xFFFFFF69;

CommandResult SendAnswer(const Command& command, const std::vector<std::uint8_t>& answer,
                         std::size_t allocation) {
  return SendToHost(command, std::span(answer).first(std::min(allocation, answer.size())));
}

}  // namespace

std::uint32_t DiscCommands::Capacity() const {
  return disc_ ? static_cast<std::uint32_t>(Layout().Capacity()) : 0;
}

std::optional<SenseCode> DiscCommands::NotReadable() const {
  if (!disc_) return sense::kMediumNotPresent;
  if (disc_->blank) return sense::kLbaOutOfRange;
  return std::nullopt;
}

CommandResult DiscCommands::ReadToc(const Command& command) const {
  if (!disc_) return CheckCondition(sense::kMediumNotPresent);
  const bool msf = (command.cdb[1] & kMsfBit) != 0;
  std::uint8_t format = command.cdb[2] & kTocFormatMask;
  if (format == 0) format = command.cdb[kTocControlByte] >> kTocControlFormatShift;
  const std::uint8_t number = command.cdb[6];
  const DiscLayout layout = Layout();
  std::optional<std::vector<std::uint8_t>> answer;
  switch (static_cast<TocFormat>(format)) {
    case TocFormat::Toc:
      answer = TocAnswer(layout, msf, number);
      break;
    case TocFormat::SessionInfo:
      answer = SessionInfoAnswer(layout, msf);
      break;
    case TocFormat::FullToc:
      answer = FullTocAnswer(layout, number);
      break;
    case TocFormat::Atip:
      answer = AtipAnswer(*disc_);
      break;
    case TocFormat::CdText:
      answer = CdTextAnswer(*disc_);
      break;
  }
  if (!answer) return CheckCondition(sense::kInvalidFieldInCdb);
  return SendAnswer(command, *answer, command.Field(7, 2));
}

CommandResult DiscCommands::ReadSubChannel(const Command& command) const {
  if (!disc_) return CheckCondition(sense::kMediumNotPresent);
  if (disc_->blank) return CheckCondition(sense::kInvalidFieldInCdb);
  const SubChannelRequest request{(command.cdb[1] & kMsfBit) != 0, (command.cdb[2] & kSubQBit) != 0,
                                  command.cdb[3], command.cdb[6]};
  const auto answer = SubChannelAnswer(Layout(), position_, request);
  if (!answer) return CheckCondition(sense::kInvalidFieldInCdb);
  return SendAnswer(command, *answer, command.Field(7, 2));
}

CommandResult DiscCommands::Seek10(const Command& command) {
  if (auto refusal = NotReadable()) return CheckCondition(*refusal);
  const std::uint64_t lba = command.Field(2, 4);
  if (lba >= Capacity()) return CheckCondition(sense::kLbaOutOfRange);
  position_ = static_cast<std::int32_t>(lba);
  return Good();
}

CommandResult DiscCommands::ReadDiscInformation(const Command& command) const {
  if (!disc_) return CheckCondition(sense::kMediumNotPresent);
  return SendAnswer(command, DiscInformationAnswer(Layout()), command.Field(7, 2));
}

CommandResult DiscCommands::ReadTrackInformation(const Command& command) const {
  if (!disc_) return CheckCondition(sense::kMediumNotPresent);
  const std::uint8_t type = command.cdb[1] & 0x03;
  if (type > static_cast<std::uint8_t>(TrackAddressType::Session)) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  const auto number = static_cast<std::uint32_t>(command.Field(2, 4));
  const auto answer = TrackInformationAnswer(Layout(), static_cast<TrackAddressType>(type), number);
  if (!answer) {
    return CheckCondition(type == 0 ? sense::kLbaOutOfRange : sense::kInvalidFieldInCdb);
  }
  return SendAnswer(command, *answer, command.Field(7, 2));
}

CommandResult DiscCommands::ReadCapacity(const Command& command) const {
  if (!disc_) return CheckCondition(sense::kMediumNotPresent);
  std::array<std::uint8_t, 8> answer{};
  const std::uint32_t lastBlock = disc_->blank ? kBlankLastBlock : Capacity() - 1;
  formats::PutBigEndian(answer.data(), lastBlock, 4);
  formats::PutBigEndian(answer.data() + 4, kUserDataSize, 4);
  return SendToHost(command, answer);
}

CommandResult DiscCommands::ReadBlocks(const Command& command, std::uint32_t lba,
                                       std::uint32_t count, std::size_t blockLength) {
  return SendSectors(
      command, lba, count,
      [blockLength](TrackMode mode) { return BlockSelection(blockLength, mode); },
      [blockLength](TrackMode mode) {
        return blockLength == kRawSectorSize || mode != TrackMode::Audio;
      });
}

CommandResult DiscCommands::ReadCd(const Command& command) {
  const std::uint8_t sectorType = (command.cdb[1] >> 2) & 0x07;
  const auto lba = static_cast<std::uint32_t>(command.Field(2, 4));
  const auto count = static_cast<std::uint32_t>(command.Field(6, 3));
  const std::uint8_t fields = command.cdb[9];
  const std::uint8_t subChannel = command.cdb[10];
  if (sectorType > kLastSectorType || !ReadCdFieldsValid(fields) ||
      !ReadCdSubChannelValid(subChannel)) {
    return CheckCondition(sense::kInvalidFieldInCdb);
  }
  const auto expected = static_cast<ExpectedSector>(sectorType);
  const auto accepts = [expected](TrackMode mode) {
    switch (expected) {
      case ExpectedSector::Any:
        return true;
      case ExpectedSector::Audio:
        return mode == TrackMode::Audio;
      case ExpectedSector::Mode1:
        return mode == TrackMode::Mode1;
      case ExpectedSector::Mode2Form1:
        return mode == TrackMode::Mode2Xa;
      case ExpectedSector::Mode2Formless:
      case ExpectedSector::Mode2Form2:
        return false;
    }
    return false;
  };
  return SendSectors(
      command, lba, count,
      [fields, subChannel](TrackMode mode) { return ReadCdSelection(fields, subChannel, mode); },
      accepts);
}

CommandResult DiscCommands::SendSectors(const Command& command, std::uint32_t lba,
                                        std::uint32_t count, const Selector& selector,
                                        const ModeCheck& accepts) {
  if (auto refusal = NotReadable()) return CheckCondition(*refusal);
  const std::uint64_t end = std::uint64_t{lba} + count;
  // Also a read of no blocks must name a block of the disc.
  if (lba >= Capacity() || end > Capacity()) return CheckCondition(sense::kLbaOutOfRange);
  if (count == 0) return Good();
  const DiscLayout layout = Layout();
  // Checked track by track before anything is sent, so the walk is bounded by the tracks.
  std::uint64_t total = 0;
  for (std::uint64_t block = lba; block < end;) {
    const DiscTrack* track = layout.TrackAt(static_cast<std::int32_t>(block));
    if (track == nullptr) return CheckCondition(sense::kLbaOutOfRange);
    if (!accepts(track->mode)) return CheckCondition(sense::kIllegalModeForThisTrack);
    const std::uint64_t stop = std::min<std::uint64_t>(end, static_cast<std::uint64_t>(track->end));
    total += (stop - block) * selector(track->mode).Size();
    block = stop;
  }
  position_ = static_cast<std::int32_t>(end - 1);
  if (total == 0 || command.data.empty()) return Good();
  if (command.direction != Direction::In) return CheckCondition(sense::kDataPhaseError);
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(total, command.data.size()));
  std::array<std::uint8_t, kRawSectorSize> sector{};
  std::array<std::uint8_t, kMaxBlockSize> out{};
  std::size_t done = 0;
  for (auto block = static_cast<std::int32_t>(lba); done < wanted; ++block) {
    const DiscTrack& track = *layout.TrackAt(block);
    BuildRawSector(track, block, sector);
    const SectorSelection selection = selector(track.mode);
    std::size_t size = 0;
    const auto append = [&out, &size](std::span<const std::uint8_t> bytes) {
      std::copy(bytes.begin(), bytes.end(), out.begin() + size);
      size += bytes.size();
    };
    for (std::size_t i = 0; i < selection.count; ++i) {
      append(std::span(sector).subspan(selection.parts[i].offset, selection.parts[i].length));
    }
    // A disc of the model reads without errors: every C2 bit and the block error byte are 0.
    std::fill_n(out.begin() + size, selection.c2Length, 0);
    size += selection.c2Length;
    if (selection.subChannel != SubChannelField::None) {
      const QChannel q = layout.QAt(block);
      const auto recorded = RecordedQ(layout, block);
      if (selection.subChannel == SubChannelField::RawPw) append(RawSubChannel(q, recorded));
      if (selection.subChannel == SubChannelField::FormattedQ) append(FormattedQ(q, recorded));
    }
    const std::size_t piece = std::min(size, wanted - done);
    std::copy_n(out.begin(), piece, command.data.begin() + done);
    done += piece;
  }
  return Good(static_cast<std::uint32_t>(wanted));
}

}  // namespace korvel::emulator
