// Discs made from image files of this machine: a CUE sheet with the BIN files it names, or an
// ISO 9660 image. The tracks point into the files, which stay on disk.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "emulator/CueSheet.h"
#include "emulator/Disc.h"
#include "emulator/ImageFile.h"

namespace korvel::emulator {

// A disc holds at most 100 minutes, the 2 seconds before block 0 included.
inline constexpr std::int32_t kMaxDiscEnd = 100 * 4500 - 150;
// Between the lead-out of one session and the first track of the next: the lead-out (6750
// blocks) and the next lead-in (4500); the track's pre-gap (150 when the sheet gives none)
// follows.
inline constexpr std::int32_t kSessionGapBlocks = 6750 + 4500;
inline constexpr std::int32_t kSessionPregapBlocks = 150;

// Lays out the tracks of `sheet` over its opened files (one for each of sheet.files, in order).
// Throws ConfigError "NAME line N: fault" when a file is not a whole number of sectors, an INDEX
// lies beyond its file's end, a track has no blocks, or the disc runs beyond 100 minutes.
Disc LayOutCueDisc(const CueSheet& sheet, std::string_view name,
                   const std::vector<std::shared_ptr<const ImageFile>>& files);

// Reads the CUE sheet at `path` and opens the files it names, relative to its folder.
Disc LoadCueDisc(const std::filesystem::path& path);

// One session with one mode 1 track of 2048-byte sectors: the whole image.
Disc LoadIsoDisc(const std::filesystem::path& path);

}  // namespace korvel::emulator
