// The ISO 9660 directory reader on any disc contents: the input is the disc from block 16 on
// (the volume descriptors first; blocks 0 to 15 are never read), every block past its end fails
// to read. The reader must find or refuse the volume, list every directory it reaches and look
// up a few paths without a crash, undefined behaviour or more reads than its caps allow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/Iso9660Directory.h"

namespace {

namespace iso = korvel::formats::iso9660;

constexpr std::uint32_t kFirstBlock = iso::kDescriptorOffset;
constexpr int kMaxDirectoriesWalked = 32;
// Each directory read costs at most this many blocks.
constexpr long kBlocksPerDirectory = iso::kMaxDirectoryBytes / iso::kBlockSize;

struct Disc {
  const std::uint8_t* data;
  std::size_t size;
  long reads = 0;

  bool Read(std::uint32_t lba, iso::Block& out) {
    ++reads;
    if (lba < kFirstBlock) return false;
    const std::uint64_t offset = std::uint64_t{lba - kFirstBlock} * iso::kBlockSize;
    if (offset >= size) return false;
    out.fill(0);
    std::memcpy(out.data(), data + offset, std::min<std::uint64_t>(iso::kBlockSize, size - offset));
    return true;
  }
};

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return upper(x) == upper(y); });
}

void Walk(const iso::BlockReader& read, iso::Extent directory, int depth, int& walked) {
  if (depth > static_cast<int>(iso::kMaxDepth) || walked >= kMaxDirectoriesWalked) return;
  ++walked;
  const iso::Directory listing = iso::ReadDirectory(read, directory);
  for (const iso::DirectoryEntry& entry : listing.entries) {
    // A name comes from one record: its length byte is at most 255.
    if (entry.name.size() > 255) __builtin_trap();
    if (entry.directory) Walk(read, entry.extent, depth + 1, walked);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Disc disc{data, size};
  const iso::BlockReader read = [&disc](std::uint32_t lba, iso::Block& out) {
    return disc.Read(lba, out);
  };
  const iso::Volume volume = iso::FindPrimaryVolume(read, 0);
  if (disc.reads > iso::kMaxDescriptors) __builtin_trap();
  if (volume.outcome != iso::Outcome::kFound) return 0;

  disc.reads = 0;
  int walked = 0;
  Walk(read, volume.root, 0, walked);
  if (disc.reads > walked * kBlocksPerDirectory) __builtin_trap();

  const std::vector<std::vector<std::string>> paths{
      {"VCD"}, {"mpegav", "avseq01.dat"}, {"PHOTO_CD", "IMAGES", "X"}, {"a", "b", "c", "d"}};
  for (const auto& path : paths) {
    disc.reads = 0;
    const iso::Lookup lookup = iso::FindPath(read, volume.root, path);
    if (disc.reads > static_cast<long>(path.size()) * kBlocksPerDirectory) __builtin_trap();
    // What is found carries the name looked for, in any letter case.
    if (lookup.outcome == iso::Outcome::kFound &&
        !SameIgnoringCase(lookup.entry.name, path.back())) {
      __builtin_trap();
    }
  }
  return 0;
}
