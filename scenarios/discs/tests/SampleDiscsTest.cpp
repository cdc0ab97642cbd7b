// Every sample scenario loads, and its disc is what make-discs.sh meant: the layout, the texts,
// the recordable flags, and the ISO 9660 volume found where each track's sectors put it.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "emulator/DeviceFactory.h"
#include "emulator/VirtualClock.h"
#include "emulator/images/ImageFile.h"
#include "formats/BigEndian.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::platform::sim {
namespace {

using emulator::Disc;
using emulator::DiscTrack;
using emulator::TrackMode;

const std::filesystem::path kDiscs = KORVEL_SAMPLE_DISCS;

Disc DiscOf(const std::string& scenario) {
  const Scenario loaded = LoadScenarioFile(kDiscs / (scenario + ".json"));
  return *loaded.adapters.at(0).targets.at(0).device.disc;
}

// The 2048 bytes of user data of block `lba`, read from the track's file as a drive would.
std::array<std::uint8_t, 2048> UserData(const DiscTrack& track, std::int32_t lba) {
  const auto& data = *track.data;
  const std::uint64_t header =
      data.sectorSize == 2048 ? 0 : (track.mode == TrackMode::Mode2Xa ? 24 : 16);
  std::array<std::uint8_t, 2048> bytes{};
  data.file->ReadAt(data.offset + std::uint64_t(lba - data.firstBlock) * data.sectorSize + header,
                    bytes);
  return bytes;
}

// The volume identifier of the primary volume descriptor, 16 blocks into the track.
std::string VolumeOf(const DiscTrack& track) {
  const auto descriptor = UserData(track, track.start + 16);
  EXPECT_EQ(std::string(descriptor.begin() + 1, descriptor.begin() + 6), "CD001");
  std::string volume(descriptor.begin() + 40, descriptor.begin() + 72);
  return volume.substr(0, volume.find_last_not_of(' ') + 1);
}

TEST(SampleDiscsTest, EverySampleScenarioIsTested) {
  const std::set<std::string> tested{"audio-cd",  "data-cd",          "mixed-mode", "cd-extra",
                                     "blank-cdr", "multisession-cdr", "cdrw",       "video-cd"};
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(kDiscs)) {
    if (entry.path().extension() == ".json") found.insert(entry.path().stem().string());
  }
  EXPECT_EQ(found, tested);
}

TEST(SampleDiscsTest, AudioCdHasCdTextAndAPreGapBeforeTrackTwo) {
  const Disc disc = DiscOf("audio-cd");
  EXPECT_EQ(disc.title, "Korvel Sample Audio");
  EXPECT_EQ(disc.performer, "Korvel Test Ensemble");
  ASSERT_EQ(disc.tracks.size(), 3u);
  for (const auto& track : disc.tracks) EXPECT_EQ(track.mode, TrackMode::Audio);
  EXPECT_EQ(disc.tracks[0].title, "A Above Middle C");
  EXPECT_EQ(disc.tracks[1].pregapStart, 150);
  EXPECT_EQ(disc.tracks[1].start, 225);
  EXPECT_EQ(disc.tracks[2].start, 375);
  EXPECT_EQ(disc.tracks[2].performer, "Guest Player");
  ASSERT_EQ(disc.sessions.size(), 1u);
  EXPECT_EQ(disc.sessions[0].leadOut, 525);
  EXPECT_FALSE(disc.atip);
}

// A pressed disc with audio carries a catalog number and an ISRC on each audio track; data
// discs and burnt CD-Rs carry none.
TEST(SampleDiscsTest, DiscsWithAudioCarryACatalogNumberAndIsrcs) {
  const struct {
    const char* scenario;
    std::string catalog;
    std::vector<std::string> isrcs;  // track by track
  } cases[] = {
      {"audio-cd", "0999000010011", {"XXKVL9900001", "XXKVL9900002", "XXKVL9900003"}},
      {"mixed-mode", "0999000030013", {"", "XXKVL9900031"}},
      {"cd-extra", "0999000020015", {"XXKVL9900021", "XXKVL9900022", ""}},
      {"data-cd", "", {""}},
      {"video-cd", "", {""}},
      {"multisession-cdr", "", {"", ""}},
      {"cdrw", "", {""}},
      {"blank-cdr", "", {}},
  };
  for (const auto& c : cases) {
    const Disc disc = DiscOf(c.scenario);
    EXPECT_EQ(disc.catalog, c.catalog) << c.scenario;
    std::vector<std::string> isrcs;
    for (const auto& track : disc.tracks) isrcs.push_back(track.isrc);
    EXPECT_EQ(isrcs, c.isrcs) << c.scenario;
  }
}

TEST(SampleDiscsTest, DataCdIsOneIsoTrack) {
  const Disc disc = DiscOf("data-cd");
  ASSERT_EQ(disc.tracks.size(), 1u);
  EXPECT_EQ(disc.tracks[0].mode, TrackMode::Mode1);
  EXPECT_EQ(disc.tracks[0].data->sectorSize, 2048u);
  EXPECT_EQ(VolumeOf(disc.tracks[0]), "KORVEL_SAMPLE");
}

TEST(SampleDiscsTest, MixedModeCdHasRawDataThenAudio) {
  const Disc disc = DiscOf("mixed-mode");
  ASSERT_EQ(disc.tracks.size(), 2u);
  EXPECT_EQ(disc.tracks[0].data->sectorSize, 2352u);
  EXPECT_EQ(VolumeOf(disc.tracks[0]), "KORVEL_SAMPLE");
  EXPECT_EQ(disc.tracks[1].mode, TrackMode::Audio);
  EXPECT_EQ(disc.tracks[1].start - disc.tracks[1].pregapStart, 150);
  EXPECT_EQ(disc.tracks[1].pregapStart, disc.tracks[0].end);
}

TEST(SampleDiscsTest, CdExtraHasAnXaDataSessionAfterTheAudio) {
  const Disc disc = DiscOf("cd-extra");
  ASSERT_EQ(disc.sessions.size(), 2u);
  ASSERT_EQ(disc.tracks.size(), 3u);
  const DiscTrack& data = disc.tracks[2];
  EXPECT_EQ(data.session, 2);
  EXPECT_EQ(data.mode, TrackMode::Mode2Xa);
  EXPECT_EQ(data.start, disc.sessions[0].leadOut + 11400);
  EXPECT_EQ(VolumeOf(data), "KORVEL_EXTRA");
  // The raw sectors carry their own disc address: the image was made for this place.
  std::array<std::uint8_t, 4> header{};
  data.data->file->ReadAt(data.data->offset + 12, header);
  const std::int32_t frame = data.start + 150;
  const auto bcd = [](int value) {
    return static_cast<std::uint8_t>(value / 10 * 16 + value % 10);
  };
  EXPECT_EQ(header, (std::array<std::uint8_t, 4>{bcd(frame / 4500), bcd(frame / 75 % 60),
                                                 bcd(frame % 75), 2}));
}

TEST(SampleDiscsTest, RecordableDiscsCarryTheirAtip) {
  const Disc blank = DiscOf("blank-cdr");
  EXPECT_TRUE(blank.blank);
  EXPECT_TRUE(blank.tracks.empty());
  ASSERT_TRUE(blank.atip);
  EXPECT_FALSE(blank.atip->rewritable);

  const Disc open = DiscOf("multisession-cdr");
  EXPECT_TRUE(open.appendable);
  ASSERT_EQ(open.sessions.size(), 2u);
  EXPECT_EQ(open.tracks.at(1).start, open.sessions[0].leadOut + 11400);
  EXPECT_EQ(VolumeOf(open.tracks[1]), "KORVEL_SESSION2");
  ASSERT_TRUE(open.atip);

  const Disc rewritable = DiscOf("cdrw");
  ASSERT_TRUE(rewritable.atip);
  EXPECT_TRUE(rewritable.atip->rewritable);
  EXPECT_FALSE(rewritable.blank);
}

// The emulated drive reads the images: READ(10) of block 16 of each data track returns the
// track's primary volume descriptor, whatever the sector size and mode its image stores.
TEST(SampleDiscsTest, TheDriveReadsEachVolumeDescriptorFromItsImage) {
  const struct {
    const char* scenario;
    std::size_t track;
    const char* volume;
  } cases[] = {{"data-cd", 0, "KORVEL_SAMPLE"},
               {"mixed-mode", 0, "KORVEL_SAMPLE"},
               {"cd-extra", 2, "KORVEL_EXTRA"},
               {"multisession-cdr", 1, "KORVEL_SESSION2"}};
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.scenario);
    const Scenario scenario = LoadScenarioFile(kDiscs / (std::string(entry.scenario) + ".json"));
    const emulator::DeviceConfig& config = scenario.adapters.at(0).targets.at(0).device;
    emulator::VirtualClock clock;
    const auto drive = emulator::MakeDevice(config, clock);
    std::array<std::uint8_t, 10> read10{0x28};
    formats::PutBigEndian(
        &read10[2], static_cast<std::uint32_t>(config.disc->tracks.at(entry.track).start + 16), 4);
    formats::PutBigEndian(&read10[7], 1, 2);
    std::array<std::uint8_t, 2048> block{};
    const auto result = drive->Execute(read10, emulator::Direction::In, block);
    ASSERT_EQ(result.status, emulator::kStatusGood);
    EXPECT_EQ(result.transferred, 2048u);
    EXPECT_EQ(std::string(block.begin() + 1, block.begin() + 6), "CD001");
    const std::string volume(block.begin() + 40, block.begin() + 40 + std::strlen(entry.volume));
    EXPECT_EQ(volume, entry.volume);
  }
}

TEST(SampleDiscsTest, VideoCdShowsItsFoldersUnderTheDrivesLetter) {
  Scenario scenario = LoadScenarioFile(kDiscs / "video-cd.json");
  const Disc disc = *scenario.adapters.at(0).targets.at(0).device.disc;
  ASSERT_EQ(disc.tracks.size(), 1u);
  EXPECT_EQ(disc.tracks[0].mode, TrackMode::Mode2Xa);
  EXPECT_EQ(VolumeOf(disc.tracks[0]), "KORVEL_VIDEO");

  emulator::VirtualClock clock;
  SimulatedPc pc(std::move(scenario), clock);
  FileSystem& files = pc.platform().files;
  for (const char* folder : {"E:\\Vcd", "E:\\Cdi", "E:\\Mpegav"}) {
    EXPECT_EQ(files.GetFileAttributesA(folder), FILE_ATTRIBUTE_DIRECTORY) << folder;
  }
  EXPECT_EQ(files.GetFileAttributesA("E:\\Vcd\\Info.vcd"), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(files.GetFileAttributesA("E:\\Photo_cd"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(files.GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace korvel::platform::sim
