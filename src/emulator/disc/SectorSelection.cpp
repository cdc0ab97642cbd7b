#include "emulator/disc/SectorSelection.h"

#include "emulator/disc/DiscSectors.h"
#include "emulator/disc/SubChannel.h"

namespace korvel::emulator {

namespace fields_bits = read_cd_fields;
namespace layout = raw_sector_layout;

std::size_t SectorSelection::Size() const {
  std::size_t size = c2Length;
  for (std::size_t i = 0; i < count; ++i) size += parts[i].length;
  switch (subChannel) {
    case SubChannelField::None:
      break;
    case SubChannelField::RawPw:
      size += kRawSubChannelSize;
      break;
    case SubChannelField::FormattedQ:
      size += kFormattedQSize;
      break;
  }
  return size;
}

void SectorSelection::Add(std::size_t offset, std::size_t length) {
  if (count < parts.size()) parts[count++] = {offset, length};
}

bool ReadCdFieldsValid(std::uint8_t fields) {
  if (fields & fields_bits::kReserved) return false;
  if ((fields & fields_bits::kErrorField) == fields_bits::kErrorField) return false;
  if ((fields & fields_bits::kSync) && !(fields & fields_bits::kHeader)) return false;
  if ((fields & fields_bits::kEdcEcc) && !(fields & fields_bits::kUserData)) return false;
  return true;
}

bool ReadCdSubChannelValid(std::uint8_t subChannel) {
  return subChannel == read_cd_sub_channel::kNone || subChannel == read_cd_sub_channel::kRawPw ||
         subChannel == read_cd_sub_channel::kFormattedQ;
}

SectorSelection ReadCdSelection(std::uint8_t fields, std::uint8_t subChannel, TrackMode mode) {
  SectorSelection selection;
  switch (fields & fields_bits::kErrorField) {
    case fields_bits::kC2ErrorBits:
      selection.c2Length = kC2ErrorBitsSize;
      break;
    case fields_bits::kC2AndBlockError:
      selection.c2Length = kC2AndBlockErrorSize;
      break;
    default:
      break;
  }
  if (subChannel == read_cd_sub_channel::kRawPw) selection.subChannel = SubChannelField::RawPw;
  if (subChannel == read_cd_sub_channel::kFormattedQ) {
    selection.subChannel = SubChannelField::FormattedQ;
  }
  if (mode == TrackMode::Audio) {
    if (fields & fields_bits::kSectorFields) selection.Add(0, kRawSectorSize);
    return selection;
  }
  const bool xa = mode == TrackMode::Mode2Xa;
  const std::size_t userData = UserDataOffset(mode);
  if (fields & fields_bits::kSync) selection.Add(layout::kSync, layout::kSyncLength);
  if (fields & fields_bits::kHeader) selection.Add(layout::kHeaderMsf, 4);
  if ((fields & fields_bits::kSubheader) && xa) {
    selection.Add(layout::kSubheader, layout::kSubheaderLength);
  }
  if (fields & fields_bits::kUserData) selection.Add(userData, kUserDataSize);
  if (fields & fields_bits::kEdcEcc) {
    const std::size_t errorFields = userData + kUserDataSize;
    selection.Add(errorFields, kRawSectorSize - errorFields);
  }
  return selection;
}

SectorSelection BlockSelection(std::size_t blockLength, TrackMode mode) {
  SectorSelection selection;
  if (blockLength == kRawSectorSize) {
    selection.Add(0, kRawSectorSize);
  } else {
    selection.Add(UserDataOffset(mode), kUserDataSize);
  }
  return selection;
}

}  // namespace korvel::emulator
