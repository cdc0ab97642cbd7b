#include "emulator/disc/SectorSelection.h"

#include "emulator/disc/DiscSectors.h"

namespace korvel::emulator {

namespace fields_bits = read_cd_fields;
namespace layout = raw_sector_layout;

std::size_t SectorSelection::Size() const {
  std::size_t size = 0;
  for (std::size_t i = 0; i < count; ++i) size += parts[i].length;
  return size;
}

void SectorSelection::Add(std::size_t offset, std::size_t length) {
  if (count < parts.size()) parts[count++] = {offset, length};
}

bool ReadCdFieldsValid(std::uint8_t fields) {
  if (fields & (fields_bits::kErrorFlags | fields_bits::kReserved)) return false;
  if ((fields & fields_bits::kSync) && !(fields & fields_bits::kHeader)) return false;
  if ((fields & fields_bits::kEdcEcc) && !(fields & fields_bits::kUserData)) return false;
  return true;
}

SectorSelection ReadCdSelection(std::uint8_t fields, TrackMode mode) {
  SectorSelection selection;
  if (mode == TrackMode::Audio) {
    if (fields != 0) selection.Add(0, kRawSectorSize);
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
