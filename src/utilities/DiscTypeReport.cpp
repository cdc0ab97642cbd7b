#include "utilities/DiscTypeReport.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "drive/CdText.h"
#include "drive/Commands.h"
#include "drive/CommandsStandard.h"
#include "drive/DiscTexts.h"
#include "drive/TocLayout.h"
#include "formats/BigEndian.h"
#include "transport/DriveLetters.h"
#include "utilities/DiscManufacturer.h"
#include "utilities/RawSectorRead.h"

namespace korvel::utilities {
namespace {

using transport::DeviceAddress;
using transport::ScsiTransport;

constexpr std::size_t kWorkArea = 3000;
constexpr std::uint32_t kTocLength = 804;
constexpr std::uint32_t kCdTextProbeLength = 2000;
constexpr std::size_t kCdTextMinimum = 22;
constexpr std::uint32_t kTrackInformationLength = 28;
constexpr std::uint8_t kAddressTypeTrack = 1;
constexpr std::uint8_t kPacketBit = 0x20;  // track information byte 6
// A blank disc's READ CAPACITY names block -151 as its last: the capacity is -150.
constexpr std::int32_t kBlankDiscCapacity = -150;
constexpr std::uint32_t kVolumeDescriptorBlock = 16;
constexpr std::size_t kVolumeNameLength = 32;

enum Pattern { kNone = -1, kData = 0, kAudio = 1, kDataThenAudio = 2, kAudioThenData = 3 };

// Offsets in the raw sector of block 16 (the primary volume descriptor).
namespace volume_layout {
constexpr std::size_t kMode2VolumeName = 64;
constexpr std::size_t kMode1VolumeName = 56;
constexpr std::size_t kSystemName = 32;   // "PLAYSTATION", 11 bytes
constexpr std::size_t kCdiMark = 25;      // "CD-I", 4 bytes
constexpr std::size_t kPacketMark = 480;  // "PacketCD", 8 bytes
}  // namespace volume_layout

bool BytesAre(const std::vector<std::uint8_t>& sector, std::size_t at, const char* text) {
  const std::size_t length = std::strlen(text);
  return at + length <= sector.size() && std::memcmp(&sector[at], text, length) == 0;
}

// The text of a field read as a terminated string of at most `length` characters.
std::string FieldText(const std::vector<std::uint8_t>& sector, std::size_t at, std::size_t length) {
  std::string text;
  for (std::size_t i = at; i < at + length && i < sector.size() && sector[i] != 0; ++i) {
    text += static_cast<char>(sector[i]);
  }
  return text;
}

Pattern Next(Pattern state, bool dataTrack) {
  if (dataTrack) {
    if (state == kNone) return kData;
    if (state == kAudio) return kAudioThenData;
    return state;
  }
  if (state == kNone) return kAudio;
  if (state == kData) return kDataThenAudio;
  return state;
}

bool Exists(ScsiTransport& transport, char letter, const char* folder) {
  const std::string path = std::string(1, letter) + ":\\" + folder;
  return transport.platform().files.GetFileAttributesA(path.c_str()) !=
         platform::INVALID_FILE_ATTRIBUTES;
}

// Refines the class and takes the volume name from the sector at d + 16, read whole.
void ReadVolumeSector(ScsiTransport& transport, DeviceAddress address, Pattern pattern,
                      std::uint32_t firstData, std::string& discClass, std::string& volume) {
  using namespace volume_layout;
  std::vector<std::uint8_t> sector(kWorkArea, 0);
  if (ReadRawSector(transport, address, firstData + kVolumeDescriptorBlock, sector) != 1) return;
  switch (sector[raw_sector_layout::kMode]) {
    case 2: {
      volume = FieldText(sector, kMode2VolumeName, kVolumeNameLength);
      if (pattern != kAudioThenData) discClass += " XA";
      if (BytesAre(sector, kSystemName, "PLAYSTATION")) {
        discClass = "PlayStation";
        break;
      }
      const std::int32_t drive =
          transport::DriveLetterOf(transport, address.adapter, address.target);
      // Without a letter (pass-through mode on NT keeps none for some drives) there is no
      // folder to look for.
      if (drive >= 0 && drive < 26) {
        const char letter = static_cast<char>('A' + drive);
        if (Exists(transport, letter, "Vcd") && Exists(transport, letter, "Cdi") &&
            Exists(transport, letter, "Mpegav")) {
          discClass = "Video CD";
        }
        if (Exists(transport, letter, "Photo_cd") && Exists(transport, letter, "Cdi")) {
          discClass = "Photo CD";
        }
      }
      if (BytesAre(sector, kCdiMark, "CD-I")) {
        discClass = pattern == kAudio ? "CD-i Ready" : "CD - i";
      } else if (pattern == kAudio) {
        discClass = "Enhanced CD";
      }
      if (BytesAre(sector, kPacketMark, "PacketCD")) discClass = "PacketCD";
      break;
    }
    case 1:
      discClass += " - Mode 1";
      if (pattern == kAudio) discClass = "Enhanced CD";
      volume = FieldText(sector, kMode1VolumeName, kVolumeNameLength);
      break;
    default:
      break;
  }
}

void ReadCdTextTitle(ScsiTransport& transport, DeviceAddress address,
                     std::vector<std::uint8_t>& work, std::span<std::uint8_t> cdText,
                     std::string& discClass, std::string& volume) {
  if (drive::ReadTocCdText(transport, address.adapter, address.target, kCdTextProbeLength,
                           work.data()) != 1) {
    return;
  }
  const auto length = std::min<std::size_t>(
      {static_cast<std::size_t>(formats::GetBigEndian(work.data(), 2)), kCdTextAreaSize});
  if (cdText.empty()) return;
  const std::size_t readable = std::min(length, cdText.size());
  drive::ReadTocCdText(transport, address.adapter, address.target,
                       static_cast<std::uint32_t>(readable), cdText.data());
  if (length >= kCdTextMinimum) {
    discClass = "Audio CD + CD TEXT";
    volume = drive::CdTextString(drive::kCdTextTitle, 0, cdText, readable, true);
  }
}

}  // namespace

std::string DiscTypeReport(ScsiTransport& transport, DeviceAddress address, std::string& volume,
                           std::string& discClass, std::span<std::uint8_t> cdText) {
  using namespace drive::toc_layout;
  std::string text = "-";
  volume.clear();
  std::vector<std::uint8_t> work(kWorkArea, 0);
  drive::TestUnitReady(transport, address.adapter, address.target);
  drive::RequestSense(transport, address.adapter, address.target, work.data());
  // A failed READ CAPACITY leaves the sense bytes of REQUEST SENSE in the area: they are not a
  // capacity, so no class is made from them.
  std::optional<std::int32_t> capacity;
  if (drive::ReadCapacity(transport, address.adapter, address.target, work.data()) == 1) {
    capacity = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(formats::GetBigEndian(work.data(), 4)) + 1u);
  }

  if (capacity == kBlankDiscCapacity) {
    std::array<std::uint8_t, kTrackInformationLength> info{};
    if (drive::ReadTrackInformation(transport, address.adapter, address.target, kAddressTypeTrack,
                                    2, kTrackInformationLength, info.data()) == 1 &&
        (info[6] & kPacketBit) != 0) {
      text = "PacketCD (unfinalized)";
    } else {
      text = "Blank disc, " + DiscManufacturerText(transport, address);
    }
  } else {
    Pattern pattern = kNone;
    std::optional<std::uint32_t> firstData;
    std::fill(work.begin(), work.end(), 0);
    if (drive::ReadTocFormatInControlByte(transport, address.adapter, address.target,
                                          drive::kTocFormatToc, kTocLength, work.data()) == 1) {
      const int first = work[kFirst];
      const int last = work[kLast];
      for (int i = 0; i <= last - first; ++i) {
        const std::size_t at = kHeaderSize + kDescriptorSize * static_cast<std::size_t>(i);
        if (at + kDescriptorSize > kTocLength) break;
        const bool dataTrack = (work[at + kAdrControl] & kDataTrackBit) != 0;
        pattern = Next(pattern, dataTrack);
        // Byte 4 of the address is left out: a 24-bit block address.
        if (dataTrack && !firstData) {
          firstData = static_cast<std::uint32_t>(formats::GetBigEndian(&work[at + 5], 3));
        }
      }
    }
    if (pattern != kNone) {
      text = DiscClassNames[static_cast<std::size_t>(pattern)];
      if (pattern == kAudio) firstData = 0;
      ReadVolumeSector(transport, address, pattern, firstData.value_or(0), text, volume);
    }
    ReadCdTextTitle(transport, address, work, cdText, text, volume);
  }
  discClass = text;
  drive::TrimTrailingBlanks(volume);
  return volume;
}

}  // namespace korvel::utilities
