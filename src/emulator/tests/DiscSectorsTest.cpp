// Raw sectors built around what an image file stores: whole sectors as stored, user data with
// the header built around it, and generated blocks where the file holds nothing.
#include <gtest/gtest.h>

#include <memory>

#include "ScratchDirectory.h"
#include "emulator/disc/DiscSectors.h"
#include "emulator/images/ImageFile.h"

namespace korvel::emulator::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Sector = std::array<std::uint8_t, kRawSectorSize>;

Bytes Pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 3);
  return bytes;
}

DiscTrack TrackOf(TrackMode mode, const std::filesystem::path& file, std::uint32_t sectorSize,
                  std::uint64_t offset) {
  DiscTrack track;
  track.mode = mode;
  track.pregapStart = 10;
  track.start = 12;
  track.end = 20;
  track.data = TrackData{std::make_shared<ImageFile>(file), 12, 2, offset, sectorSize};
  return track;
}

TEST(DiscSectorsTest, UserDataStoredInTheFileGetsItsHeaders) {
  ScratchDirectory directory;
  Bytes image = Pattern(100, 0x40);  // bytes before the track
  const Bytes first = Pattern(2048, 1), second = Pattern(2048, 2);
  image.insert(image.end(), first.begin(), first.end());
  image.insert(image.end(), second.begin(), second.end());
  const auto file = directory.Write("track.iso", image);

  const DiscTrack mode1 = TrackOf(TrackMode::Mode1, file, 2048, 100);
  Sector sector{};
  BuildRawSector(mode1, 13, sector);
  EXPECT_EQ(Bytes(sector.begin() + 12, sector.begin() + 16), (Bytes{0x00, 0x02, 0x13, 0x01}));
  EXPECT_EQ(Bytes(sector.begin() + 16, sector.begin() + 16 + 2048), second);

  const DiscTrack xa = TrackOf(TrackMode::Mode2Xa, file, 2048, 100);
  BuildRawSector(xa, 12, sector);
  EXPECT_EQ(Bytes(sector.begin() + 12, sector.begin() + 24),
            (Bytes{0x00, 0x02, 0x12, 0x02, 0, 0, 0x08, 0, 0, 0, 0x08, 0}));
  EXPECT_EQ(Bytes(sector.begin() + 24, sector.begin() + 24 + 2048), first);

  // Outside the stored blocks (the pre-gap, the rest of the track): generated.
  BuildRawSector(mode1, 14, sector);
  Bytes generated(2048);
  FillUserData(14, std::span<std::uint8_t, 2048>(generated));
  EXPECT_EQ(Bytes(sector.begin() + 16, sector.begin() + 16 + 2048), generated);
}

TEST(DiscSectorsTest, WholeSectorsAreReturnedAsStored) {
  ScratchDirectory directory;
  const Bytes audio = Pattern(2 * kRawSectorSize, 7);
  const auto file = directory.Write("track.bin", audio);
  for (const TrackMode mode : {TrackMode::Audio, TrackMode::Mode1, TrackMode::Mode2Xa}) {
    const DiscTrack track = TrackOf(mode, file, 2352, 0);
    Sector sector{};
    BuildRawSector(track, 13, sector);
    EXPECT_EQ(Bytes(sector.begin(), sector.end()),
              Bytes(audio.begin() + kRawSectorSize, audio.end()));
  }
  DiscTrack silent = TrackOf(TrackMode::Audio, file, 2352, 0);
  Sector sector{};
  sector.fill(0xAA);
  BuildRawSector(silent, 11, sector);
  EXPECT_EQ(Bytes(sector.begin(), sector.end()), Bytes(kRawSectorSize, 0)) << "pre-gap: silence";
}

TEST(DiscSectorsTest, AShortFileReadsAsZeros) {
  ScratchDirectory directory;
  const Bytes stored = Pattern(3000, 9);  // 1.3 sectors
  const auto file = directory.Write("short.bin", stored);
  const DiscTrack track = TrackOf(TrackMode::Audio, file, 2352, 0);
  Sector sector{};
  BuildRawSector(track, 13, sector);
  EXPECT_EQ(Bytes(sector.begin(), sector.begin() + 648),
            Bytes(stored.begin() + 2352, stored.end()));
  EXPECT_EQ(Bytes(sector.begin() + 648, sector.end()), Bytes(2352 - 648, 0));
}

}  // namespace
}  // namespace korvel::emulator::testing
