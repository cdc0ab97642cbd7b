#include "emulator/ImageDiscs.h"

#include <cstdio>
#include <string>

#include "emulator/ConfigError.h"

namespace korvel::emulator {
namespace {

constexpr std::uint32_t kIsoSectorSize = 2048;

std::string TimeText(std::int64_t frames) {
  char text[48];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(frames / 4500),
                static_cast<long long>(frames / 75 % 60), static_cast<long long>(frames % 75));
  return text;
}

TrackMode ModeOf(CueTrackType type) {
  switch (type) {
    case CueTrackType::Audio:
      return TrackMode::Audio;
    case CueTrackType::Mode1_2048:
    case CueTrackType::Mode1_2352:
      return TrackMode::Mode1;
    case CueTrackType::Mode2_2352:
      return TrackMode::Mode2Xa;
  }
  return TrackMode::Mode1;
}

// Walks the tracks in order, placing each file's frames one after another on the disc with the
// silence that the sheet adds (PREGAP, POSTGAP, the gap between sessions) in between.
class CueLayout {
 public:
  CueLayout(const CueSheet& sheet, std::string_view name,
            const std::vector<std::shared_ptr<const ImageFile>>& files)
      : sheet_(sheet), name_(name), files_(files) {}

  Disc Build() {
    MeasureFiles();
    disc_.title = sheet_.title;
    disc_.performer = sheet_.performer;
    for (std::size_t t = 0; t < sheet_.tracks.size(); ++t) {
      const CueTrack& track = sheet_.tracks[t];
      const CuePosition& first = track.index0 ? *track.index0 : track.index1;
      if (t > 0) {
        EndTrack(t - 1, &first);
        if (track.session != sheet_.tracks[t - 1].session) {
          disc_.sessions.push_back({sheet_.tracks[t - 1].session, disc_.tracks.back().end});
          inserted_ += kSessionGapBlocks;
        }
      }
      PlaceTrack(track, t > 0 && track.session != sheet_.tracks[t - 1].session);
    }
    const CueTrack& last = sheet_.tracks.back();
    EndTrack(sheet_.tracks.size() - 1, nullptr);
    disc_.sessions.push_back({last.session, disc_.tracks.back().end});
    if (disc_.sessions.back().leadOut > kMaxDiscEnd) {
      Fail(last.line, "the disc runs to " + TimeText(disc_.sessions.back().leadOut + 150) +
                          ", beyond 100 minutes");
    }
    return std::move(disc_);
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& fault) const {
    throw ConfigError(std::string(name_) + " line " + std::to_string(line) + ": " + fault);
  }

  // Each file's length in frames of the sectors of the tracks that start in it.
  void MeasureFiles() {
    if (files_.size() != sheet_.files.size()) {
      throw ConfigError(std::string(name_) + ": " + std::to_string(sheet_.files.size()) +
                        " files named, " + std::to_string(files_.size()) + " opened");
    }
    std::vector<std::uint32_t> sectorSize(files_.size(), 0);
    for (const CueTrack& track : sheet_.tracks) {
      sectorSize[track.index1.file] = SectorSizeOf(track.type);
      if (track.index0 && sectorSize[track.index0->file] == 0) {
        sectorSize[track.index0->file] = SectorSizeOf(track.type);
      }
    }
    std::int64_t before = 0;
    for (std::size_t f = 0; f < files_.size(); ++f) {
      const CueFile& file = sheet_.files[f];
      const std::uint64_t size = files_[f]->size();
      if (sectorSize[f] == 0) Fail(file.line, "no track starts in \"" + file.name + "\"");
      if (size % sectorSize[f] != 0) {
        Fail(file.line, "\"" + file.name + "\" holds " + std::to_string(size) +
                            " bytes, not a whole number of " + std::to_string(sectorSize[f]) +
                            "-byte sectors");
      }
      if (size / sectorSize[f] > static_cast<std::uint64_t>(kMaxDiscEnd)) {
        Fail(file.line, "\"" + file.name + "\" holds more than 100 minutes");
      }
      frames_.push_back(static_cast<std::int32_t>(size / sectorSize[f]));
      sectorSizes_.push_back(sectorSize[f]);
      fileStart_.push_back(before);
      before += frames_.back();
    }
  }

  // The disc address of a place in a file, with the silence added so far.
  std::int64_t AddressOf(const CuePosition& position) const {
    if (position.frames >= static_cast<std::uint32_t>(frames_[position.file])) {
      Fail(position.line, "INDEX at " + TimeText(position.frames) + " lies beyond the end of \"" +
                              sheet_.files[position.file].name + "\" (" +
                              TimeText(frames_[position.file]) + ")");
    }
    return fileStart_[position.file] + position.frames + inserted_;
  }

  void PlaceTrack(const CueTrack& cue, bool firstOfSession) {
    DiscTrack track;
    track.number = cue.number;
    track.session = cue.session;
    track.mode = ModeOf(cue.type);
    track.title = cue.title;
    track.performer = cue.performer;
    std::int64_t pregapStart = 0;
    std::uint32_t pregap = cue.pregap;
    // The first track of a later session always has a pre-gap; the sheet may give its own.
    if (firstOfSession && !cue.index0 && pregap == 0) pregap = kSessionPregapBlocks;
    if (cue.index0) {
      pregapStart = AddressOf(*cue.index0);
    } else {
      pregapStart = AddressOf(cue.index1);
      inserted_ += pregap;
    }
    const std::int64_t start = AddressOf(cue.index1);
    // The stored blocks begin at INDEX 00 when it is in the same file as INDEX 01; a pre-gap
    // held at the end of the previous file reads as generated blocks.
    const bool pregapStored = cue.index0 && cue.index0->file == cue.index1.file;
    const CuePosition& firstStored = pregapStored ? *cue.index0 : cue.index1;
    TrackData data;
    data.file = files_[cue.index1.file];
    data.firstBlock = static_cast<std::int32_t>(pregapStored ? pregapStart : start);
    data.offset = std::uint64_t{firstStored.frames} * sectorSizes_[cue.index1.file];
    data.sectorSize = sectorSizes_[cue.index1.file];
    if (start > kMaxDiscEnd) {
      Fail(cue.line, "track " + std::to_string(cue.number) + " starts beyond 100 minutes");
    }
    track.pregapStart = static_cast<std::int32_t>(pregapStart);
    track.start = static_cast<std::int32_t>(start);
    track.data = data;
    disc_.tracks.push_back(std::move(track));
  }

  // Ends track t where the next track's first place is, or at the end of its file when the next
  // track starts in another file or there is none (`next` null).
  void EndTrack(std::size_t t, const CuePosition* next) {
    const CueTrack& cue = sheet_.tracks[t];
    DiscTrack& track = disc_.tracks[t];
    const std::size_t file = cue.index1.file;
    const std::int64_t storedEnd = next != nullptr && next->file == file
                                       ? AddressOf(*next)
                                       : fileStart_[file] + frames_[file] + inserted_;
    if (storedEnd <= track.start) {
      Fail(cue.line, "track " + std::to_string(cue.number) + " has no blocks");
    }
    track.data->blockCount = static_cast<std::int32_t>(storedEnd - track.data->firstBlock);
    inserted_ += cue.postgap;
    const std::int64_t end = storedEnd + cue.postgap;
    if (end > kMaxDiscEnd) {
      Fail(cue.line, "track " + std::to_string(cue.number) + " runs to " + TimeText(end + 150) +
                         ", beyond 100 minutes");
    }
    track.end = static_cast<std::int32_t>(end);
  }

  const CueSheet& sheet_;
  std::string_view name_;
  const std::vector<std::shared_ptr<const ImageFile>>& files_;
  std::vector<std::int32_t> frames_;
  std::vector<std::uint32_t> sectorSizes_;
  std::vector<std::int64_t> fileStart_;  // frames of the files before each
  std::int64_t inserted_ = 0;            // blocks of silence placed so far
  Disc disc_;
};

std::string ReadSheetText(const std::filesystem::path& path) {
  const ImageFile file(path);
  if (file.size() > kMaxCueSheetBytes) {
    throw ConfigError(path.filename().string() + ": larger than " +
                      std::to_string(kMaxCueSheetBytes / 1024) + " KiB, which no CUE sheet needs");
  }
  std::string text(static_cast<std::size_t>(file.size()), '\0');
  file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()));
  return text;
}

}  // namespace

Disc LayOutCueDisc(const CueSheet& sheet, std::string_view name,
                   const std::vector<std::shared_ptr<const ImageFile>>& files) {
  return CueLayout(sheet, name, files).Build();
}

Disc LoadCueDisc(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  const CueSheet sheet = ParseCueSheet(ReadSheetText(path), name);
  std::vector<std::shared_ptr<const ImageFile>> files;
  for (const CueFile& file : sheet.files) {
    try {
      files.push_back(std::make_shared<const ImageFile>(path.parent_path() / file.name));
    } catch (const ConfigError& error) {
      throw ConfigError(name + " line " + std::to_string(file.line) + ": " + error.what());
    }
  }
  return LayOutCueDisc(sheet, name, files);
}

Disc LoadIsoDisc(const std::filesystem::path& path) {
  auto file = std::make_shared<const ImageFile>(path);
  const std::string name = path.filename().string();
  if (file->size() == 0 || file->size() % kIsoSectorSize != 0) {
    throw ConfigError(name + ": " + std::to_string(file->size()) +
                      " bytes is not a whole number of 2048-byte sectors");
  }
  if (file->size() / kIsoSectorSize > static_cast<std::uint64_t>(kMaxDiscEnd)) {
    throw ConfigError(name + ": holds more than 100 minutes");
  }
  const auto blocks = static_cast<std::int32_t>(file->size() / kIsoSectorSize);
  DiscTrack track;
  track.mode = TrackMode::Mode1;
  track.end = blocks;
  track.data = TrackData{std::move(file), 0, blocks, 0, kIsoSectorSize};
  Disc disc;
  disc.sessions.push_back({1, blocks});
  disc.tracks.push_back(std::move(track));
  return disc;
}

}  // namespace korvel::emulator
