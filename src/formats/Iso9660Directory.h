// The ISO 9660 file system of a CD as the operating system's CD file system sees it: the primary
// volume descriptor, then directories walked one path component at a time, over a function that
// reads one 2048-byte block. Built for discs from outside: every length and extent is checked,
// directories and paths are capped, and no walk can read more than a fixed number of blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::formats::iso9660 {

inline constexpr std::size_t kBlockSize = 2048;
// The volume descriptors begin 16 blocks into the volume.
inline constexpr std::uint32_t kDescriptorOffset = 16;
// Descriptors looked at before giving up on a set without a terminator.
inline constexpr int kMaxDescriptors = 32;
// A directory larger than this is read only this far.
inline constexpr std::uint32_t kMaxDirectoryBytes = 1024 * 1024;
// Path components below the root; ISO 9660 itself allows 8 levels.
inline constexpr std::size_t kMaxDepth = 16;

using Block = std::array<std::uint8_t, kBlockSize>;
// Reads the block at disc address `lba` into `out`; false when it cannot be read.
using BlockReader = std::function<bool(std::uint32_t lba, Block& out)>;

// The byte layout of a directory record and of the primary volume descriptor.
namespace layout {
inline constexpr std::size_t kRecordLength = 0;
inline constexpr std::size_t kExtent = 2;  // both-endian; the little-endian half is read
inline constexpr std::size_t kDataLength = 10;
inline constexpr std::size_t kFlags = 25;
inline constexpr std::size_t kNameLength = 32;
inline constexpr std::size_t kName = 33;
inline constexpr std::uint8_t kDirectoryFlag = 0x02;

inline constexpr std::size_t kDescriptorType = 0;
inline constexpr std::size_t kStandardId = 1;  // "CD001"
inline constexpr std::size_t kRootRecord = 156;
inline constexpr std::size_t kRootRecordLength = 34;
inline constexpr std::uint8_t kPrimaryDescriptor = 1;
inline constexpr std::uint8_t kSetTerminator = 255;
}  // namespace layout

struct Extent {
  std::uint32_t block = 0;
  std::uint32_t bytes = 0;
};

struct DirectoryEntry {
  std::string name;  // as recorded, without ";1" and a trailing "."
  Extent extent;
  bool directory = false;
};

enum class Outcome {
  kFound,
  kReadFailed,    // a block could not be read
  kNoVolume,      // no primary volume descriptor before the terminator
  kMalformed,     // a record or descriptor breaks the format
  kNotFound,      // the last component is not there
  kPathNotFound,  // a component before it is missing or is a file
};

struct Volume {
  Outcome outcome = Outcome::kNoVolume;
  Extent root;
};

struct Directory {
  // kFound, or why the listing stopped early; the entries read before that are kept.
  Outcome outcome = Outcome::kFound;
  std::vector<DirectoryEntry> entries;
};

struct Lookup {
  Outcome outcome = Outcome::kNotFound;
  DirectoryEntry entry;  // valid with kFound; the root has directory = true and no name
};

// The name a record carries, as a path component matches it: the version (";1") and a trailing
// "." (a name without extension) dropped.
std::string ComponentName(std::string_view recorded);

// Finds the primary volume descriptor of the volume whose first block is `volumeStart`.
Volume FindPrimaryVolume(const BlockReader& read, std::uint32_t volumeStart);

// The records of one directory, without its "." and ".." entries.
Directory ReadDirectory(const BlockReader& read, Extent directory);

// Follows `components` from the root, each matched without regard to letter case.
Lookup FindPath(const BlockReader& read, Extent root, std::span<const std::string> components);

}  // namespace korvel::formats::iso9660
