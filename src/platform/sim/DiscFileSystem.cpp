#include "platform/sim/DiscFileSystem.h"

#include <array>
#include <optional>

#include "emulator/Sense.h"
#include "formats/BigEndian.h"
#include "formats/Iso9660Directory.h"
#include "formats/ScsiOpcodes.h"

namespace korvel::platform::sim {

namespace {

namespace iso = formats::iso9660;
namespace opcode = formats::opcode;
using formats::GetBigEndian;
using formats::PutBigEndian;

// READ TOC format 1 (session information): a 4-byte header, then the descriptor of the first
// track of the last session.
constexpr std::uint8_t kSessionInfoFormat = 0x01;
constexpr std::size_t kSessionInfoLength = 12;
constexpr std::size_t kTrackControl = 5;
constexpr std::size_t kTrackStart = 8;
constexpr std::uint8_t kDataTrack = 0x04;
constexpr std::uint8_t kUnitAttention = 0x06;

struct DataTrack {
  DWORD error = ERROR_SUCCESS;
  std::uint32_t start = 0;
};

// Where the last session's data track begins; the volume of a multi-session disc is there.
DataTrack LastSessionStart(EmulatedBus& bus, BusDevice& device) {
  std::array<std::uint8_t, 10> cdb{opcode::kReadToc, 0, kSessionInfoFormat};
  PutBigEndian(&cdb[7], kSessionInfoLength, 2);
  std::array<std::uint8_t, kSessionInfoLength> answer{};
  emulator::CommandResult result = bus.Execute(device, cdb, emulator::Direction::In, answer);
  // A unit attention (a disc just inserted, a reset) is taken and the question asked again, as
  // the operating system's own drivers do.
  if (result.answered && result.status == emulator::kStatusCheckCondition &&
      emulator::SenseCodeOf(result.sense).key == kUnitAttention) {
    result = bus.Execute(device, cdb, emulator::Direction::In, answer);
  }
  // An empty drive, a disc still spinning up or a drive that does not answer are all not ready.
  if (!result.answered || result.status != emulator::kStatusGood ||
      result.transferred < kSessionInfoLength) {
    return DataTrack{ERROR_NOT_READY, 0};
  }
  if ((answer[kTrackControl] & kDataTrack) == 0) return DataTrack{ERROR_UNRECOGNIZED_MEDIA, 0};
  return DataTrack{ERROR_SUCCESS,
                   static_cast<std::uint32_t>(GetBigEndian(&answer[kTrackStart], 4))};
}

iso::BlockReader ReaderOf(EmulatedBus& bus, BusDevice& device) {
  return [&bus, &device](std::uint32_t lba, iso::Block& out) {
    std::array<std::uint8_t, 10> cdb{opcode::kRead10};
    PutBigEndian(&cdb[2], lba, 4);
    PutBigEndian(&cdb[7], 1, 2);
    const emulator::CommandResult result = bus.Execute(device, cdb, emulator::Direction::In, out);
    return result.answered && result.status == emulator::kStatusGood &&
           result.transferred == iso::kBlockSize;
  };
}

DWORD ErrorOf(iso::Outcome outcome) {
  switch (outcome) {
    case iso::Outcome::kFound:
      return ERROR_SUCCESS;
    case iso::Outcome::kReadFailed:
      return ERROR_READ_FAULT;
    case iso::Outcome::kNoVolume:
      return ERROR_UNRECOGNIZED_MEDIA;
    case iso::Outcome::kMalformed:
      return ERROR_FILE_CORRUPT;
    case iso::Outcome::kNotFound:
      return ERROR_FILE_NOT_FOUND;
    case iso::Outcome::kPathNotFound:
      return ERROR_PATH_NOT_FOUND;
  }
  return ERROR_READ_FAULT;
}

}  // namespace

DWORD DiscFileSystem::AttributesOf(const DrivePath& path, DWORD& error) {
  BusDevice* device = bus_.FindByLetter(path.letter);
  if (device == nullptr) {
    error = ERROR_PATH_NOT_FOUND;
    return INVALID_FILE_ATTRIBUTES;
  }
  const DataTrack track = LastSessionStart(bus_, *device);
  if (track.error != ERROR_SUCCESS) {
    error = track.error;
    return INVALID_FILE_ATTRIBUTES;
  }
  const iso::BlockReader read = ReaderOf(bus_, *device);
  const iso::Volume volume = iso::FindPrimaryVolume(read, track.start);
  if (volume.outcome != iso::Outcome::kFound) {
    error = ErrorOf(volume.outcome);
    return INVALID_FILE_ATTRIBUTES;
  }
  const iso::Lookup lookup = iso::FindPath(read, volume.root, path.components);
  if (lookup.outcome != iso::Outcome::kFound) {
    error = ErrorOf(lookup.outcome);
    return INVALID_FILE_ATTRIBUTES;
  }
  error = ERROR_SUCCESS;
  return lookup.entry.directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace korvel::platform::sim
