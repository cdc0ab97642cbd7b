// The disc in an emulated drive: sessions, tracks with their pre-gaps, lead-outs, the ATIP of a
// recordable disc and CD-TEXT. Every disc command answers from this one model; the loaders
// (scenario JSON, CUE sheets, ISO 9660 images) only build it. Addresses are logical block
// addresses (block 0 is 00:02:00).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvel::emulator {

class ImageFile;  // an opened image file, read at byte offsets (ImageFile.h)

enum class TrackMode {
  Audio,   // 2352 bytes of 16-bit stereo samples a block
  Mode1,   // 2048 bytes of user data a block
  Mode2Xa  // mode 2 form 1 (XA) blocks: subheader, then 2048 bytes of user data
};

// Where the stored blocks of a track come from. Blocks outside what is stored (a pre-gap that
// the image does not hold, a synthetic disc) are generated: silence for audio, for data the
// address pattern of FillUserData.
struct TrackData {
  std::shared_ptr<const ImageFile> file;
  std::int32_t firstBlock = 0;      // the disc address of the first stored block
  std::int32_t blockCount = 0;      // how many blocks the file holds from there
  std::uint64_t offset = 0;         // byte offset of firstBlock's sector in the file
  std::uint32_t sectorSize = 2048;  // 2048 (user data only) or 2352 (whole raw sector)
};

struct DiscTrack {
  std::uint8_t number = 1;   // 1..99
  std::uint8_t session = 1;  // 1..99
  TrackMode mode = TrackMode::Mode1;
  std::int32_t pregapStart = 0;  // index 0 begins here; equal to start without a pre-gap
  std::int32_t start = 0;        // index 1
  std::int32_t end = 0;  // the first block after the track: the next pre-gap or the lead-out
  std::optional<TrackData> data;
  // Written in packets (READ TRACK INFORMATION says so), as by packet-writing software.
  bool packet = false;
  std::string title;  // CD-TEXT, empty when the disc has none for this track
  std::string performer;
  // The International Standard Recording Code that the track's Q channel carries (DiscCodes.h),
  // empty when it carries none.
  std::string isrc;
};

struct DiscSession {
  std::uint8_t number = 1;
  std::int32_t leadOut = 0;  // the first block of the session's lead-out
};

// Times as minute, second, frame (not BCD).
struct Msf {
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  std::uint8_t frame = 0;
};

struct Atip {
  Msf leadIn{97, 24, 1};
  Msf leadOut{79, 59, 74};
  bool rewritable = false;
  // The recording speed code of a rewritable disc (ATIP byte 16, low nibble); 0 when unknown.
  std::uint8_t speedCode = 0;
};

struct Disc {
  std::vector<DiscSession> sessions;  // in order; empty on a blank disc
  std::vector<DiscTrack> tracks;      // in order of number, across the sessions
  // No session has been closed: nothing can be read and READ CAPACITY reports -151. Tracks that
  // packet writing has put into the open first session may still be listed (one session).
  bool blank = false;
  // The last session is open: a further session can be written after it.
  bool appendable = false;
  std::optional<Atip> atip;  // recordable discs only
  std::string title;         // CD-TEXT for the whole disc
  std::string performer;
  // The media catalog number that the Q channel carries (DiscCodes.h), empty when it carries
  // none.
  std::string catalog;
  // The files of this machine the disc was read from (a CUE sheet and the files it names, or an
  // ISO image); none for a disc described in the scenario itself.
  std::vector<std::filesystem::path> imageFiles;
};

}  // namespace korvel::emulator
