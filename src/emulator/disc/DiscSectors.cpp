#include "emulator/disc/DiscSectors.h"

#include <algorithm>

#include "emulator/disc/DiscTime.h"
#include "emulator/disc/SectorErrorCodes.h"
#include "emulator/images/ImageFile.h"
#include "formats/BigEndian.h"

namespace korvel::emulator {
namespace {

namespace layout = raw_sector_layout;

void FillHeader(std::int32_t lba, std::uint8_t mode, std::span<std::uint8_t, kRawSectorSize> out) {
  std::fill_n(out.begin() + layout::kSync, layout::kSyncLength, 0xFF);
  out[layout::kSync] = 0x00;
  out[layout::kSync + layout::kSyncLength - 1] = 0x00;
  const Msf time = MsfOfBlock(lba);
  out[layout::kHeaderMsf] = Bcd(time.minute);
  out[layout::kHeaderMsf + 1] = Bcd(time.second);
  out[layout::kHeaderMsf + 2] = Bcd(time.frame);
  out[layout::kHeaderMode] = mode;
}

// The stored bytes of the block, when the track's data holds it: true when `out` was filled.
bool ReadStored(const DiscTrack& track, std::int32_t lba, std::span<std::uint8_t> out) {
  if (!track.data || !track.data->file) return false;
  const TrackData& data = *track.data;
  if (lba < data.firstBlock || lba - data.firstBlock >= data.blockCount) return false;
  const std::uint64_t at =
      data.offset + static_cast<std::uint64_t>(lba - data.firstBlock) * data.sectorSize;
  std::fill(out.begin(), out.end(), 0);
  data.file->ReadAt(at, out.first(std::min<std::size_t>(out.size(), data.sectorSize)));
  return true;
}

}  // namespace

std::size_t UserDataOffset(TrackMode mode) {
  switch (mode) {
    case TrackMode::Audio:
      return 0;
    case TrackMode::Mode1:
      return layout::kUserData;
    case TrackMode::Mode2Xa:
      return layout::kMode2UserData;
  }
  return 0;
}

std::uint8_t HeaderModeOf(TrackMode mode) {
  switch (mode) {
    case TrackMode::Audio:
      return 0;
    case TrackMode::Mode1:
      return 1;
    case TrackMode::Mode2Xa:
      return 2;
  }
  return 0;
}

void FillUserData(std::uint32_t lba, std::span<std::uint8_t, kUserDataSize> out) {
  formats::PutBigEndian(out.data(), lba, 4);
  for (std::size_t i = 4; i < out.size(); ++i) {
    out[i] = static_cast<std::uint8_t>(lba * 13 + i * 7 + (i >> 8));
  }
}

void FillRawSector(std::uint32_t lba, std::span<std::uint8_t, kRawSectorSize> out) {
  BuildRawSector(DiscTrack{}, static_cast<std::int32_t>(lba), out);
}

void BuildRawSector(const DiscTrack& track, std::int32_t lba,
                    std::span<std::uint8_t, kRawSectorSize> out) {
  const bool rawStored = track.data && track.data->sectorSize == kRawSectorSize;
  if (track.mode == TrackMode::Audio || rawStored) {
    if (!ReadStored(track, lba, out)) std::fill(out.begin(), out.end(), 0);
    return;
  }
  std::fill(out.begin(), out.end(), 0);
  const auto address = static_cast<std::uint32_t>(lba);
  FillHeader(lba, HeaderModeOf(track.mode), out);
  const std::size_t userData = UserDataOffset(track.mode);
  const auto user = out.subspan(userData, kUserDataSize).first<kUserDataSize>();
  if (!ReadStored(track, lba, user)) FillUserData(address, user);
  // A disc made from a 2048-byte image carries its error codes as the recorder wrote them.
  if (track.mode == TrackMode::Mode1) {
    PutMode1ErrorCodes(out);
    return;
  }
  for (std::size_t copy = 0; copy < 2; ++copy) {
    out[layout::kSubheader + copy * 4 + 2] = kSubmodeData;  // file 0, channel 0, coding 0
  }
  PutMode2Form1ErrorCodes(out);
}

}  // namespace korvel::emulator
