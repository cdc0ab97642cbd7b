#include "formats/Iso9660Directory.h"

#include <algorithm>
#include <optional>

namespace korvel::formats::iso9660 {

namespace {

using namespace layout;

constexpr std::string_view kStandardIdentifier = "CD001";
// The one-byte names of a directory's own record and of its parent's.
constexpr std::uint8_t kSelfName = 0x00;
constexpr std::uint8_t kParentName = 0x01;

// ISO 9660 records every number twice; the little-endian copy comes first.
std::uint32_t LittleEndian32(const std::uint8_t* in) {
  return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
         static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

// The record at `offset` of a block, or nothing when it breaks the format: shorter than its own
// fixed part and name, or running past the end of the block (records never cross one).
struct RawRecord {
  std::size_t length = 0;
  std::string_view name;
  Extent extent;
  bool directory = false;
};

std::optional<RawRecord> RecordAt(const Block& block, std::size_t offset) {
  const std::size_t length = block[offset + kRecordLength];
  if (length < kName + 1 || offset + length > kBlockSize) return std::nullopt;
  const std::uint8_t* record = block.data() + offset;
  const std::size_t nameLength = record[kNameLength];
  if (nameLength == 0 || kName + nameLength > length) return std::nullopt;
  RawRecord raw;
  raw.length = length;
  raw.name = std::string_view(reinterpret_cast<const char*>(record + kName), nameLength);
  raw.extent = Extent{LittleEndian32(record + kExtent), LittleEndian32(record + kDataLength)};
  raw.directory = (record[kFlags] & kDirectoryFlag) != 0;
  return raw;
}

}  // namespace

std::string ComponentName(std::string_view recorded) {
  const std::size_t version = recorded.find(';');
  if (version != std::string_view::npos) recorded = recorded.substr(0, version);
  if (!recorded.empty() && recorded.back() == '.') recorded.remove_suffix(1);
  return std::string(recorded);
}

Volume FindPrimaryVolume(const BlockReader& read, std::uint32_t volumeStart) {
  Block block{};
  for (std::uint32_t i = 0; i < kMaxDescriptors; ++i) {
    const std::uint64_t lba = std::uint64_t{volumeStart} + kDescriptorOffset + i;
    if (lba > UINT32_MAX) return Volume{Outcome::kNoVolume, {}};
    if (!read(static_cast<std::uint32_t>(lba), block)) return Volume{Outcome::kReadFailed, {}};
    const std::string_view id(reinterpret_cast<const char*>(block.data() + kStandardId),
                              kStandardIdentifier.size());
    if (id != kStandardIdentifier) return Volume{Outcome::kNoVolume, {}};
    const std::uint8_t type = block[kDescriptorType];
    if (type == kSetTerminator) return Volume{Outcome::kNoVolume, {}};
    if (type != kPrimaryDescriptor) continue;
    // The root record sits inside the descriptor; its length byte must say so.
    const std::size_t length = block[kRootRecord + kRecordLength];
    const std::optional<RawRecord> root = RecordAt(block, kRootRecord);
    if (length != kRootRecordLength || !root || !root->directory) {
      return Volume{Outcome::kMalformed, {}};
    }
    return Volume{Outcome::kFound, root->extent};
  }
  return Volume{Outcome::kNoVolume, {}};
}

Directory ReadDirectory(const BlockReader& read, Extent directory) {
  Directory listing;
  const std::uint32_t bytes = std::min(directory.bytes, kMaxDirectoryBytes);
  const std::uint32_t blocks = (bytes + kBlockSize - 1) / kBlockSize;
  Block block{};
  for (std::uint32_t b = 0; b < blocks; ++b) {
    const std::uint64_t lba = std::uint64_t{directory.block} + b;
    if (lba > UINT32_MAX || !read(static_cast<std::uint32_t>(lba), block)) {
      listing.outcome = Outcome::kReadFailed;
      return listing;
    }
    // The last block counts only as far as the directory's size reaches.
    const std::size_t end = std::min<std::size_t>(kBlockSize, bytes - b * kBlockSize);
    std::size_t offset = 0;
    // Every record is at least 34 bytes long, so a block holds at most 60 of them.
    while (offset < end) {
      // A zero length pads the rest of the block: the next record starts in the next one.
      if (block[offset + kRecordLength] == 0) break;
      const std::optional<RawRecord> record = RecordAt(block, offset);
      if (!record) {
        listing.outcome = Outcome::kMalformed;
        return listing;
      }
      offset += record->length;
      const bool ownOrParent = record->name.size() == 1 &&
                               (record->name[0] == kSelfName || record->name[0] == kParentName);
      if (ownOrParent) continue;
      listing.entries.push_back(
          DirectoryEntry{ComponentName(record->name), record->extent, record->directory});
    }
  }
  return listing;
}

Lookup FindPath(const BlockReader& read, Extent root, std::span<const std::string> components) {
  Lookup lookup;
  lookup.outcome = Outcome::kFound;
  lookup.entry = DirectoryEntry{"", root, true};
  if (components.size() > kMaxDepth) return Lookup{Outcome::kPathNotFound, {}};
  for (std::size_t i = 0; i < components.size(); ++i) {
    const bool last = i + 1 == components.size();
    if (!lookup.entry.directory) return Lookup{Outcome::kPathNotFound, {}};
    const Directory listing = ReadDirectory(read, lookup.entry.extent);
    const auto match = std::find_if(
        listing.entries.begin(), listing.entries.end(),
        [&](const DirectoryEntry& entry) { return SameIgnoringCase(entry.name, components[i]); });
    if (match == listing.entries.end()) {
      // A directory that could not be read whole may hold the name in the part not read.
      if (listing.outcome != Outcome::kFound) return Lookup{listing.outcome, {}};
      return Lookup{last ? Outcome::kNotFound : Outcome::kPathNotFound, {}};
    }
    lookup.entry = *match;
  }
  return lookup;
}

}  // namespace korvel::formats::iso9660
