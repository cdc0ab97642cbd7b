// The CUE sheet reader on any text: it must either read a sheet or refuse the text with a
// ConfigError; any other exception, a crash or undefined behaviour is a fault. A sheet it takes
// must hold what the disc layout relies on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "emulator/ConfigError.h"
#include "emulator/disc/DiscCodes.h"
#include "emulator/images/CueSheet.h"

namespace {

using korvel::emulator::CuePosition;
using korvel::emulator::CueSheet;

void CheckPosition(const CuePosition& position, const CueSheet& sheet) {
  if (position.file >= sheet.files.size() || position.frames >= 100 * 4500) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const CueSheet sheet = korvel::emulator::ParseCueSheet(
        std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.cue");
    if (sheet.tracks.empty() || sheet.tracks.size() > 99 || sheet.files.size() > 99) {
      __builtin_trap();
    }
    // READ SUB-CHANNEL copies the codes into fields of fixed size.
    if (!sheet.catalog.empty() && korvel::emulator::CatalogFault(sheet.catalog)) __builtin_trap();
    for (std::size_t t = 0; t < sheet.tracks.size(); ++t) {
      const auto& track = sheet.tracks[t];
      if (track.number != t + 1 || track.session == 0) __builtin_trap();
      if (t > 0 && track.session < sheet.tracks[t - 1].session) __builtin_trap();
      if (!track.isrc.empty() && korvel::emulator::IsrcFault(track.isrc)) __builtin_trap();
      CheckPosition(track.index1, sheet);
      if (track.index0) CheckPosition(*track.index0, sheet);
    }
  } catch (const korvel::emulator::ConfigError&) {
  }
  return 0;
}
