#include "emulator/images/CueSheet.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "emulator/ConfigError.h"
#include "emulator/disc/CdText.h"
#include "emulator/disc/DiscCodes.h"

namespace korvel::emulator {
namespace {

constexpr std::size_t kMaxFiles = 99;
constexpr std::uint32_t kFramesPerSecond = 75;
constexpr std::uint32_t kFramesPerMinute = 60 * kFramesPerSecond;

struct TrackTypeName {
  std::string_view name;
  CueTrackType type;
};
constexpr std::array<TrackTypeName, 4> kTrackTypes{{{"AUDIO", CueTrackType::Audio},
                                                    {"MODE1/2048", CueTrackType::Mode1_2048},
                                                    {"MODE1/2352", CueTrackType::Mode1_2352},
                                                    {"MODE2/2352", CueTrackType::Mode2_2352}}};

// Commands that a sheet may hold and that say nothing the disc model keeps.
constexpr std::array<std::string_view, 6> kCommandsReadPast{"CDTEXTFILE", "FLAGS",    "SONGWRITER",
                                                            "COMPOSER",   "ARRANGER", "MESSAGE"};

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// Whitespace-separated words of one line; a word in double quotes may hold blanks.
std::vector<std::string> SplitWords(std::string_view line, const std::string& where) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (true) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at == line.size()) return words;
    if (line[at] == '"') {
      const auto close = line.find('"', at + 1);
      if (close == std::string_view::npos) throw ConfigError(where + "a quote is not closed");
      words.emplace_back(line.substr(at + 1, close - at - 1));
      at = close + 1;
    } else {
      const auto end = std::min(line.find_first_of(" \t", at), line.size());
      words.emplace_back(line.substr(at, end - at));
      at = end;
    }
  }
}

// A number of at most `digits` decimal digits.
std::optional<std::uint32_t> ReadDigits(std::string_view text, std::size_t digits) {
  if (text.empty() || text.size() > digits) return std::nullopt;
  std::uint32_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return number;
}

class SheetReader {
 public:
  explicit SheetReader(std::string_view name) : name_(name) {}

  CueSheet Read(std::string_view text) {
    if (text.size() > kMaxCueSheetBytes) {
      throw ConfigError(std::string(name_) + ": larger than " +
                        std::to_string(kMaxCueSheetBytes / 1024) +
                        " KiB, which no CUE sheet needs");
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a UTF-8 byte order mark
    std::size_t at = 0;
    while (at < text.size()) {
      const auto end = std::min(text.find('\n', at), text.size());
      std::string_view line = text.substr(at, end - at);
      at = end + 1;
      ++line_;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      ReadLine(line);
    }
    FinishTrack();
    if (sessionOpened_) Fail(sessionLine_, "REM SESSION is followed by no TRACK");
    if (sheet_.tracks.empty()) Fail(line_, "the sheet has no TRACK");
    for (std::size_t file = 0; file < sheet_.files.size(); ++file) {
      if (!fileIndexed_[file]) {
        Fail(sheet_.files[file].line, "FILE \"" + sheet_.files[file].name + "\" holds no INDEX");
      }
    }
    return std::move(sheet_);
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& fault) const {
    throw ConfigError(Where(line) + fault);
  }
  std::string Where(int line) const {
    return std::string(name_) + " line " + std::to_string(line) + ": ";
  }

  void ReadLine(std::string_view line) {
    for (char c : line) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        Fail(line_, std::string("control character 0x") + kHex[byte >> 4] + kHex[byte & 15]);
      }
    }
    const auto words = SplitWords(line, Where(line_));
    if (words.empty()) return;
    const std::string command = Upper(words[0]);
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (command == "REM") {
      if (!arguments.empty() && Upper(arguments[0]) == "SESSION") ReadSession(arguments);
    } else if (command == "FILE") {
      ReadFile(arguments);
    } else if (command == "TRACK") {
      ReadTrack(arguments);
    } else if (command == "INDEX") {
      ReadIndex(arguments);
    } else if (command == "PREGAP" || command == "POSTGAP") {
      ReadGap(command, arguments);
    } else if (command == "TITLE" || command == "PERFORMER") {
      ReadText(command, arguments);
    } else if (command == "CATALOG") {
      ReadCatalog(arguments);
    } else if (command == "ISRC") {
      ReadIsrc(arguments);
    } else if (std::find(kCommandsReadPast.begin(), kCommandsReadPast.end(), command) ==
               kCommandsReadPast.end()) {
      Fail(line_, "unknown command \"" + words[0] + "\"");
    }
  }

  void RequireArguments(const std::vector<std::string>& arguments, std::size_t count,
                        std::string_view form) const {
    if (arguments.size() != count) Fail(line_, "expected " + std::string(form));
  }

  std::uint32_t ReadTime(const std::string& text) const {
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? first : text.find(':', first + 1);
    std::optional<std::uint32_t> minutes, seconds, frames;
    if (second != std::string::npos) {
      minutes = ReadDigits(std::string_view(text).substr(0, first), 2);
      seconds = ReadDigits(std::string_view(text).substr(first + 1, second - first - 1), 2);
      frames = ReadDigits(std::string_view(text).substr(second + 1), 2);
    }
    if (!minutes || !seconds || !frames || *seconds >= 60 || *frames >= kFramesPerSecond) {
      Fail(line_, "\"" + text + "\" is not a time mm:ss:ff (minutes to 99, seconds to 59, " +
                      "frames to 74)");
    }
    return *minutes * kFramesPerMinute + *seconds * kFramesPerSecond + *frames;
  }

  void ReadSession(const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 2, "REM SESSION nn");
    const auto number = ReadDigits(arguments[1], 2);
    if (!number) Fail(line_, "\"" + arguments[1] + "\" is not a session number");
    if (sessionOpened_) Fail(sessionLine_, "REM SESSION is followed by no TRACK");
    FinishTrack();
    const std::uint32_t expected = sheet_.tracks.empty() ? 1u : session_ + 1u;
    if (*number != expected) {
      Fail(line_, "REM SESSION " + arguments[1] + " where session " + std::to_string(expected) +
                      " comes next");
    }
    session_ = static_cast<std::uint8_t>(*number);
    sessionOpened_ = true;
    sessionLine_ = line_;
  }

  void ReadFile(const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 2, "FILE \"name\" BINARY");
    if (Upper(arguments[1]) != "BINARY") {
      Fail(line_, "FILE of type " + arguments[1] + ": only BINARY files are taken");
    }
    if (arguments[0].empty()) Fail(line_, "FILE names no file");
    if (sheet_.files.size() == kMaxFiles) {
      Fail(line_, "more than " + std::to_string(kMaxFiles) + " FILEs");
    }
    sheet_.files.push_back({arguments[0], line_});
    fileIndexed_.push_back(false);
  }

  void ReadTrack(const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 2, "TRACK nn TYPE");
    if (sheet_.files.empty()) Fail(line_, "TRACK before any FILE");
    FinishTrack();
    if (sheet_.tracks.size() == 99) Fail(line_, "more than 99 tracks");
    const auto number = ReadDigits(arguments[0], 2);
    const std::uint32_t expected = sheet_.tracks.size() + 1;
    if (!number || *number != expected) {
      Fail(line_, "TRACK " + arguments[0] + " where track " + std::to_string(expected) +
                      " comes next; tracks are numbered 1, 2, 3 ...");
    }
    const std::string type = Upper(arguments[1]);
    const auto known = std::find_if(kTrackTypes.begin(), kTrackTypes.end(),
                                    [&](const TrackTypeName& entry) { return entry.name == type; });
    if (known == kTrackTypes.end()) {
      Fail(line_, "track type " + arguments[1] +
                      " is not taken (AUDIO, MODE1/2048, MODE1/2352 or MODE2/2352)");
    }
    track_ = CueTrack{};
    track_->number = static_cast<std::uint8_t>(*number);
    track_->session = session_;
    track_->type = known->type;
    track_->line = line_;
    sessionOpened_ = false;
    lastIndex_.reset();
    isrcLine_ = 0;
  }

  void ReadIndex(const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 2, "INDEX nn mm:ss:ff");
    if (!track_) Fail(line_, "INDEX outside a TRACK");
    const auto number = ReadDigits(arguments[0], 2);
    if (!number) Fail(line_, "\"" + arguments[0] + "\" is not an index number (0 to 99)");
    const std::uint32_t expected = lastIndex_ ? *lastIndex_ + 1 : (*number == 0 ? 0 : 1);
    if (*number != expected) {
      Fail(line_,
           "INDEX " + arguments[0] + " where index " + std::to_string(expected) + " comes next");
    }
    if (track_->postgap != 0) Fail(line_, "INDEX after POSTGAP");
    if (*number == 0 && track_->pregap != 0)
      Fail(line_, "a track takes PREGAP or INDEX 00, not both");
    const CuePosition position{sheet_.files.size() - 1, ReadTime(arguments[1]), line_};
    if (!fileIndexed_[position.file] && position.frames != 0) {
      Fail(line_, "the first INDEX of a FILE must be at 00:00:00");
    }
    if (fileIndexed_[position.file] && position.frames <= lastFrames_ &&
        !(position.frames == lastFrames_ && *number != 0 && lastIndex_)) {
      Fail(line_, "INDEX " + arguments[0] + " at " + arguments[1] +
                      " does not come after the INDEX before it");
    }
    if (*number > 1 && position.file != track_->index1.file) {
      Fail(line_, "INDEX " + arguments[0] + " is not in the FILE of the track's INDEX 01");
    }
    fileIndexed_[position.file] = true;
    lastFrames_ = position.frames;
    lastIndex_ = *number;
    if (*number == 0) track_->index0 = position;
    if (*number == 1) track_->index1 = position;
  }

  void ReadGap(const std::string& command, const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 1, command + " mm:ss:ff");
    if (!track_) Fail(line_, command + " outside a TRACK");
    const std::uint32_t frames = ReadTime(arguments[0]);
    if (command == "PREGAP") {
      if (lastIndex_) Fail(line_, "PREGAP after an INDEX; it comes right after TRACK");
      track_->pregap = frames;
    } else {
      if (!lastIndex_ || *lastIndex_ == 0) Fail(line_, "POSTGAP before the track's INDEX 01");
      track_->postgap = frames;
    }
  }

  void ReadText(const std::string& command, const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 1, command + " \"text\"");
    if (arguments[0].size() > kMaxCdTextLength) {
      Fail(line_, command + " is longer than " + std::to_string(kMaxCdTextLength) + " characters");
    }
    for (char c : arguments[0]) {
      if (c < 0x20 || c > 0x7E) Fail(line_, command + " takes printable ASCII characters only");
    }
    std::string& field = command == "TITLE" ? (track_ ? track_->title : sheet_.title)
                                            : (track_ ? track_->performer : sheet_.performer);
    field = arguments[0];
  }

  // The disc's own code, so it stands before the files as TITLE of the disc does before the
  // tracks; once only.
  void ReadCatalog(const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 1, "CATALOG and its 13 digits");
    if (catalogLine_ != 0) {
      Fail(line_, "CATALOG given twice (first on line " + std::to_string(catalogLine_) + ")");
    }
    if (!sheet_.files.empty()) {
      Fail(line_, "CATALOG after a FILE; it belongs to the disc and comes before the first FILE");
    }
    if (auto fault = CatalogFault(arguments[0])) Fail(line_, "CATALOG " + *fault);
    sheet_.catalog = arguments[0];
    catalogLine_ = line_;
  }

  // A track's code: after its TRACK and before its first INDEX, once.
  void ReadIsrc(const std::vector<std::string>& arguments) {
    RequireArguments(arguments, 1, "ISRC CCOOOYYSSSSS");
    if (!track_) Fail(line_, "ISRC outside a TRACK");
    if (lastIndex_) Fail(line_, "ISRC after an INDEX; it comes before the track's INDEX lines");
    if (isrcLine_ != 0) {
      Fail(line_, "ISRC given twice for track " + std::to_string(track_->number) +
                      " (first on line " + std::to_string(isrcLine_) + ")");
    }
    if (auto fault = IsrcFault(arguments[0])) Fail(line_, "ISRC " + *fault);
    track_->isrc = arguments[0];
    isrcLine_ = line_;
  }

  // Ends the open track: it must have its start, and all tracks that start in one file must
  // share one sector size, as the file holds their blocks one after another.
  void FinishTrack() {
    if (!track_) return;
    if (!lastIndex_ || *lastIndex_ == 0) {
      Fail(track_->line, "track " + std::to_string(track_->number) + " has no INDEX 01");
    }
    for (const CueTrack& other : sheet_.tracks) {
      if (other.index1.file == track_->index1.file &&
          SectorSizeOf(other.type) != SectorSizeOf(track_->type)) {
        Fail(track_->line, "tracks " + std::to_string(other.number) + " and " +
                               std::to_string(track_->number) +
                               " share a FILE but not a sector size");
      }
    }
    sheet_.tracks.push_back(std::move(*track_));
    track_.reset();
  }

  std::string_view name_;
  int line_ = 0;
  CueSheet sheet_;
  std::vector<bool> fileIndexed_;           // per file: an INDEX has been seen in it
  std::optional<CueTrack> track_;           // the track being read
  std::optional<std::uint32_t> lastIndex_;  // of the track being read
  std::uint32_t lastFrames_ = 0;            // of the last INDEX, in the last file
  std::uint8_t session_ = 1;
  bool sessionOpened_ = false;  // a REM SESSION waits for its first TRACK
  int sessionLine_ = 0;
  int catalogLine_ = 0;  // of the CATALOG, 0 before one
  int isrcLine_ = 0;     // of the open track's ISRC, 0 before one
};

}  // namespace

std::uint32_t SectorSizeOf(CueTrackType type) {
  return type == CueTrackType::Mode1_2048 ? 2048 : 2352;
}

CueSheet ParseCueSheet(std::string_view text, std::string_view name) {
  return SheetReader(name).Read(text);
}

}  // namespace korvel::emulator
