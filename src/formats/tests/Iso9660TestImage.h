// Small ISO 9660 images made in memory for tests: single records and blocks to break on purpose,
// and whole images of a few folders and files (one block per directory, one per file), written
// for the disc address their first block will have. Also raw mode 2 form 1 sectors of such an
// image, for a BIN file under a CUE sheet.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "formats/BigEndian.h"
#include "formats/Iso9660Directory.h"

namespace korvel::formats::iso9660::testing {

inline void PutBothEndian32(std::uint8_t* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
  formats::PutBigEndian(out + 4, value, 4);
}

// One directory record, padded to an even length as the standard asks.
inline std::vector<std::uint8_t> Record(std::string_view name, Extent extent, bool directory) {
  std::size_t length = layout::kName + name.size();
  if (length % 2 != 0) ++length;
  std::vector<std::uint8_t> record(length, 0);
  record[layout::kRecordLength] = static_cast<std::uint8_t>(length);
  PutBothEndian32(&record[layout::kExtent], extent.block);
  PutBothEndian32(&record[layout::kDataLength], extent.bytes);
  record[layout::kFlags] = directory ? layout::kDirectoryFlag : 0;
  record[layout::kNameLength] = static_cast<std::uint8_t>(name.size());
  std::copy(name.begin(), name.end(), record.begin() + layout::kName);
  return record;
}

// A directory block: its own and its parent's record, then `records` in order.
inline Block DirectoryBlock(Extent self, Extent parent,
                            const std::vector<std::vector<std::uint8_t>>& records) {
  Block block{};
  std::size_t offset = 0;
  auto put = [&](const std::vector<std::uint8_t>& record) {
    std::copy(record.begin(), record.end(), block.begin() + offset);
    offset += record.size();
  };
  put(Record(std::string(1, '\0'), self, true));
  put(Record(std::string(1, '\1'), parent, true));
  for (const auto& record : records) put(record);
  return block;
}

inline Block Descriptor(std::uint8_t type) {
  Block block{};
  block[layout::kDescriptorType] = type;
  std::copy_n("CD001", 5, block.begin() + layout::kStandardId);
  block[6] = 1;  // version
  return block;
}

inline constexpr std::size_t kVolumeIdOffset = 40;
inline constexpr std::size_t kVolumeSpaceOffset = 80;
inline constexpr std::size_t kBlockSizeOffset = 128;

inline Block PrimaryDescriptor(Extent root, std::string_view volumeId, std::uint32_t blocks) {
  Block block = Descriptor(layout::kPrimaryDescriptor);
  std::fill_n(block.begin() + kVolumeIdOffset, 32, ' ');
  std::copy(volumeId.begin(), volumeId.end(), block.begin() + kVolumeIdOffset);
  PutBothEndian32(&block[kVolumeSpaceOffset], blocks);
  block[kBlockSizeOffset] = 0x00;  // 2048, both-endian 16 bits
  block[kBlockSizeOffset + 1] = 0x08;
  block[kBlockSizeOffset + 2] = 0x08;
  const std::vector<std::uint8_t> rootRecord = Record(std::string(1, '\0'), root, true);
  std::copy(rootRecord.begin(), rootRecord.end(), block.begin() + layout::kRootRecord);
  return block;
}

// A tree of folders and files; paths use "/" and the names as recorded ("INFO.VCD;1").
class TestIsoImage {
 public:
  explicit TestIsoImage(std::string volumeId = "KORVEL_TEST") : volumeId_(std::move(volumeId)) {
    folders_[""] = {};
  }

  TestIsoImage& Folder(const std::string& path) {
    AddParents(path);
    folders_[path];
    Parent(path).push_back({Leaf(path), true});
    return *this;
  }
  TestIsoImage& File(const std::string& path) {
    AddParents(path);
    Parent(path).push_back({Leaf(path), false});
    return *this;
  }

  // The image's blocks, for a volume whose first block is disc address `start`.
  std::vector<Block> Blocks(std::uint32_t start = 0) const {
    // Blocks 16 and 17 are the descriptors; the folders follow in path order, then one block per
    // file.
    std::map<std::string, std::uint32_t> folderBlock;
    std::uint32_t next = 18;
    for (const auto& [path, entries] : folders_) folderBlock[path] = next++;
    std::map<std::string, std::uint32_t> fileBlock;
    for (const auto& [path, entries] : folders_) {
      for (const Entry& entry : entries) {
        if (!entry.folder) fileBlock[Join(path, entry.name)] = next++;
      }
    }
    std::vector<Block> blocks(next);
    auto extentOf = [&](std::uint32_t block) {
      return Extent{start + block, static_cast<std::uint32_t>(kBlockSize)};
    };
    blocks[16] = PrimaryDescriptor(extentOf(folderBlock.at("")), volumeId_, next);
    blocks[17] = Descriptor(layout::kSetTerminator);
    for (const auto& [path, entries] : folders_) {
      std::vector<std::vector<std::uint8_t>> records;
      for (const Entry& entry : entries) {
        const std::string full = Join(path, entry.name);
        records.push_back(entry.folder
                              ? Record(entry.name, extentOf(folderBlock.at(full)), true)
                              : Record(entry.name, Extent{start + fileBlock.at(full), 5}, false));
      }
      blocks[folderBlock.at(path)] = DirectoryBlock(
          extentOf(folderBlock.at(path)), extentOf(folderBlock.at(ParentOf(path))), records);
    }
    for (const auto& [path, block] : fileBlock) std::copy_n("file\n", 5, blocks[block].begin());
    return blocks;
  }

  std::vector<std::uint8_t> Bytes(std::uint32_t start = 0) const {
    std::vector<std::uint8_t> bytes;
    for (const Block& block : Blocks(start)) bytes.insert(bytes.end(), block.begin(), block.end());
    return bytes;
  }

 private:
  struct Entry {
    std::string name;
    bool folder = false;
  };
  static std::string ParentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
  }
  static std::string Leaf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
  }
  static std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
  }
  void AddParents(const std::string& path) {
    const std::string parent = ParentOf(path);
    if (!parent.empty() && folders_.count(parent) == 0) Folder(parent);
  }
  std::vector<Entry>& Parent(const std::string& path) { return folders_[ParentOf(path)]; }

  std::string volumeId_;
  std::map<std::string, std::vector<Entry>> folders_;
};

inline constexpr std::size_t kRawSectorSize = 2352;

// The image as raw mode 2 form 1 sectors (sync, header, subheader, user data; EDC and ECC left
// zero), the first at disc address `start`.
inline std::vector<std::uint8_t> Mode2Form1Sectors(const std::vector<std::uint8_t>& image,
                                                   std::uint32_t start = 0) {
  const std::size_t count = image.size() / kBlockSize;
  std::vector<std::uint8_t> raw(count * kRawSectorSize, 0);
  for (std::size_t s = 0; s < count; ++s) {
    std::uint8_t* sector = &raw[s * kRawSectorSize];
    std::fill_n(sector + 1, 10, 0xFF);
    const std::uint32_t frames = start + static_cast<std::uint32_t>(s) + 150;
    auto bcd = [](std::uint32_t v) { return static_cast<std::uint8_t>((v / 10) * 16 + v % 10); };
    sector[12] = bcd(frames / 4500);
    sector[13] = bcd(frames / 75 % 60);
    sector[14] = bcd(frames % 75);
    sector[15] = 2;
    std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(s * kBlockSize), kBlockSize,
                sector + 24);
  }
  return raw;
}

}  // namespace korvel::formats::iso9660::testing
