// Discs made from image files of this machine: a CUE sheet with the BIN files it names, or an
// ISO 9660 image. The tracks point into the files, which stay on disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "emulator/disc/Disc.h"
#include "emulator/images/CueSheet.h"
#include "emulator/images/ImageFile.h"

namespace korvel::emulator {

// Lays out the tracks of `sheet` over its opened files (one for each of sheet.files, in order).
// A later session begins after the lead-out and lead-in (DiscBuilder.h); its first track gets a
// pre-gap of 150 blocks when the sheet gives none. Throws ConfigError "NAME line N: fault" when a
// file is not a whole number of sectors, an INDEX lies beyond its file's end, or the disc runs
// beyond 100 minutes, and "NAME: fault" when the CD-TEXT does not fit the lead-in.
Disc LayOutCueDisc(const CueSheet& sheet, std::string_view name,
                   const std::vector<std::shared_ptr<const ImageFile>>& files);

// The same layout from the sizes of the files in bytes alone (one for each of sheet.files); the
// tracks' data name no file to read. It lets the layout be checked without files on disk.
Disc LayOutCueSizes(const CueSheet& sheet, std::string_view name,
                    std::span<const std::uint64_t> fileSizes);

// Reads the CUE sheet at `path` and opens the files it names, relative to its folder.
Disc LoadCueDisc(const std::filesystem::path& path);

// One session with one mode 1 track of 2048-byte sectors: the whole image.
Disc LoadIsoDisc(const std::filesystem::path& path);

}  // namespace korvel::emulator
