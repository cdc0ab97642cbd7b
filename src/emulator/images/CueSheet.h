// A CUE sheet read into its parts: the files, the tracks with their indexes and gaps, the
// sessions and the CD-TEXT titles. Only the text is read here; the files it names are opened and
// measured by the loader (CueDisc.h), so that this reader can be fed any text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::emulator {

// CUE sheets are a few kilobytes; anything much larger is not one.
inline constexpr std::size_t kMaxCueSheetBytes = 256 * 1024;

enum class CueTrackType { Audio, Mode1_2048, Mode1_2352, Mode2_2352 };

// Bytes a sector of the type takes in its file.
std::uint32_t SectorSizeOf(CueTrackType type);

struct CueFile {
  std::string name;  // as written, relative to the CUE sheet's folder unless absolute
  int line = 0;
};

// An INDEX: a place in one of the files, in frames (blocks) from the file's start.
struct CuePosition {
  std::size_t file = 0;  // into CueSheet::files
  std::uint32_t frames = 0;
  int line = 0;
};

struct CueTrack {
  std::uint8_t number = 1;
  std::uint8_t session = 1;
  CueTrackType type = CueTrackType::Audio;
  std::optional<CuePosition> index0;  // a pre-gap held in the file
  CuePosition index1;                 // the track's start
  std::uint32_t pregap = 0;           // frames of pre-gap not held in the file (PREGAP)
  std::uint32_t postgap = 0;          // frames after the track not held in the file (POSTGAP)
  std::string title;                  // CD-TEXT
  std::string performer;
  std::string isrc;  // ISRC, before the track's first INDEX
  int line = 0;      // of the TRACK command
};

struct CueSheet {
  std::vector<CueFile> files;
  std::vector<CueTrack> tracks;  // numbered 1, 2, 3 ... in order; at least one
  std::string title;             // CD-TEXT of the whole disc
  std::string performer;
  std::string catalog;  // CATALOG, before the first FILE
};

// Reads a CUE sheet. `name` names it in error messages, which throw ConfigError as
// "NAME line N: fault". What is taken: FILE "name" BINARY; TRACK nn AUDIO | MODE1/2048 |
// MODE1/2352 | MODE2/2352; INDEX nn mm:ss:ff; PREGAP and POSTGAP mm:ss:ff; TITLE and PERFORMER
// before the first TRACK (the disc's) and after one (the track's), in printable ASCII as CD-TEXT
// holds them (kMaxCdTextLength); REM SESSION nn; CATALOG (13 digits, before the first FILE) and
// ISRC (CCOOOYYSSSSS, in a TRACK before its first INDEX), each checked as DiscCodes.h says. REM
// comments, FLAGS, CDTEXTFILE, SONGWRITER, COMPOSER, ARRANGER and MESSAGE are read past.
CueSheet ParseCueSheet(std::string_view text, std::string_view name);

}  // namespace korvel::emulator
