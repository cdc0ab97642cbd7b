#include "emulator/images/ImageDiscs.h"

#include <cstdio>
#include <span>
#include <string>

#include "emulator/ConfigError.h"
#include "emulator/disc/CdText.h"
#include "emulator/disc/DiscBuilder.h"

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

// Measures each track in its file (pre-gap, stored blocks, post-gap) and lays the tracks out one
// after another with the disc builder, as a recorder writes them; each track keeps pointing at
// its blocks in its file.
class CueLayout {
 public:
  // `files` holds the opened files the tracks will read, or is null when only the layout is
  // wanted; `sizes` holds their sizes in bytes.
  CueLayout(const CueSheet& sheet, std::string_view name, std::span<const std::uint64_t> sizes,
            const std::vector<std::shared_ptr<const ImageFile>>* files)
      : sheet_(sheet), name_(name), sizes_(sizes), files_(files) {}

  Disc Build() {
    MeasureFiles();
    Disc disc;
    disc.title = sheet_.title;
    disc.performer = sheet_.performer;
    disc.catalog = sheet_.catalog;
    for (std::size_t t = 0; t < sheet_.tracks.size(); ++t) {
      const CueTrack& cue = sheet_.tracks[t];
      const bool newSession = t > 0 && cue.session != sheet_.tracks[t - 1].session;
      const std::int64_t start = PlaceOf(cue.index1);
      // The stored blocks run to the next track's first place in the same file, or to the
      // file's end.
      std::int64_t storedEnd = fileStart_[cue.index1.file] + frames_[cue.index1.file];
      if (t + 1 < sheet_.tracks.size()) {
        const CueTrack& next = sheet_.tracks[t + 1];
        const CuePosition& nextFirst = next.index0 ? *next.index0 : next.index1;
        if (nextFirst.file == cue.index1.file) storedEnd = PlaceOf(nextFirst);
      }
      std::int64_t pregap = cue.index0 ? start - PlaceOf(*cue.index0) : cue.pregap;
      // The first track of a later session always has a pre-gap; the sheet may give its own. One
      // of no length (PREGAP 00:00:00, or INDEX 00 where INDEX 01 is) is none, and generated.
      const bool sessionGap = newSession && pregap == 0;
      if (sessionGap) pregap = kSessionPregapBlocks;
      // A pre-gap held at the end of the previous file reads as generated blocks.
      const bool pregapStored = cue.index0 && cue.index0->file == cue.index1.file && !sessionGap;
      try {
        if (newSession) AppendSession(disc);
        DiscTrack& track = AppendTrack(disc, ModeOf(cue.type),
                                       static_cast<std::int32_t>(storedEnd - start + cue.postgap),
                                       static_cast<std::int32_t>(pregap));
        track.title = cue.title;
        track.performer = cue.performer;
        track.isrc = cue.isrc;
        const std::size_t file = cue.index1.file;
        track.data = TrackData{
            files_ != nullptr ? (*files_)[file] : nullptr,
            pregapStored ? track.pregapStart : track.start,
            static_cast<std::int32_t>(storedEnd - start + (pregapStored ? pregap : 0)),
            std::uint64_t{(pregapStored ? *cue.index0 : cue.index1).frames} * sectorSizes_[file],
            sectorSizes_[file]};
      } catch (const ConfigError& error) {
        Fail(cue.line, error.what());
      }
    }
    CheckCdText(disc);
    return disc;
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& fault) const {
    throw ConfigError(std::string(name_) + " line " + std::to_string(line) + ": " + fault);
  }

  // Each file's length in frames of the sectors of the tracks that start in it.
  void MeasureFiles() {
    if (sizes_.size() != sheet_.files.size()) {
      throw ConfigError(std::string(name_) + ": " + std::to_string(sheet_.files.size()) +
                        " files named, " + std::to_string(sizes_.size()) + " opened");
    }
    std::vector<std::uint32_t> sectorSize(sizes_.size(), 0);
    for (const CueTrack& track : sheet_.tracks) {
      sectorSize[track.index1.file] = SectorSizeOf(track.type);
      if (track.index0 && sectorSize[track.index0->file] == 0) {
        sectorSize[track.index0->file] = SectorSizeOf(track.type);
      }
    }
    std::int64_t before = 0;
    for (std::size_t f = 0; f < sizes_.size(); ++f) {
      const CueFile& file = sheet_.files[f];
      const std::uint64_t size = sizes_[f];
      if (sectorSize[f] == 0) Fail(file.line, "no track starts in \"" + file.name + "\"");
      if (size % sectorSize[f] != 0) {
        Fail(file.line, "\"" + file.name + "\" holds " + std::to_string(size) +
                            " bytes, not a whole number of " + std::to_string(sectorSize[f]) +
                            "-byte sectors");
      }
      if (size / sectorSize[f] > static_cast<std::uint64_t>(kMaxLeadOut)) {
        Fail(file.line, "\"" + file.name + "\" holds more than 100 minutes");
      }
      frames_.push_back(static_cast<std::int32_t>(size / sectorSize[f]));
      sectorSizes_.push_back(sectorSize[f]);
      fileStart_.push_back(before);
      before += frames_.back();
    }
  }

  // A place in a file counted in frames from the start of the first file.
  std::int64_t PlaceOf(const CuePosition& position) const {
    if (position.frames >= static_cast<std::uint32_t>(frames_[position.file])) {
      Fail(position.line, "INDEX at " + TimeText(position.frames) + " lies beyond the end of \"" +
                              sheet_.files[position.file].name + "\" (" +
                              TimeText(frames_[position.file]) + ")");
    }
    return fileStart_[position.file] + position.frames;
  }

  void CheckCdText(const Disc& disc) const {
    const std::size_t packs = CdTextPacks(disc).size() / cd_text_layout::kPackSize;
    if (packs > kMaxCdTextPacks) {
      throw ConfigError(std::string(name_) + ": the CD-TEXT needs " + std::to_string(packs) +
                        " packs; a disc holds at most " + std::to_string(kMaxCdTextPacks));
    }
  }

  const CueSheet& sheet_;
  std::string_view name_;
  std::span<const std::uint64_t> sizes_;
  const std::vector<std::shared_ptr<const ImageFile>>* files_;
  std::vector<std::int32_t> frames_;
  std::vector<std::uint32_t> sectorSizes_;
  std::vector<std::int64_t> fileStart_;  // frames of the files before each
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
  std::vector<std::uint64_t> sizes;
  for (const auto& file : files) sizes.push_back(file->size());
  return CueLayout(sheet, name, sizes, &files).Build();
}

Disc LayOutCueSizes(const CueSheet& sheet, std::string_view name,
                    std::span<const std::uint64_t> fileSizes) {
  return CueLayout(sheet, name, fileSizes, nullptr).Build();
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
  Disc disc = LayOutCueDisc(sheet, name, files);
  disc.imageFiles.push_back(path);
  for (const std::shared_ptr<const ImageFile>& file : files)
    disc.imageFiles.push_back(file->path());
  return disc;
}

Disc LoadIsoDisc(const std::filesystem::path& path) {
  auto file = std::make_shared<const ImageFile>(path);
  const std::string name = path.filename().string();
  if (file->size() == 0 || file->size() % kIsoSectorSize != 0) {
    throw ConfigError(name + ": " + std::to_string(file->size()) +
                      " bytes is not a whole number of 2048-byte sectors");
  }
  if (file->size() / kIsoSectorSize > static_cast<std::uint64_t>(kMaxLeadOut)) {
    throw ConfigError(name + ": holds more than 100 minutes");
  }
  const auto blocks = static_cast<std::int32_t>(file->size() / kIsoSectorSize);
  Disc disc;
  disc.imageFiles.push_back(path);
  AppendTrack(disc, TrackMode::Mode1, blocks, 0).data =
      TrackData{std::move(file), 0, blocks, 0, kIsoSectorSize};
  return disc;
}

}  // namespace korvel::emulator
