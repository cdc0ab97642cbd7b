// The ISO 9660 directory reader on images made here: lookups by path as the CD file system
// answers them, and records, descriptors and extents broken in each way a disc could break them.
#include "formats/Iso9660Directory.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "formats/tests/Iso9660TestImage.h"
#include "platform/testing/CaseNames.h"

namespace korvel::formats::iso9660 {
namespace {

using testing::DirectoryBlock;
using testing::Record;
using testing::TestIsoImage;

// A disc of blocks at chosen addresses; every other block cannot be read. Counts the reads.
struct FakeDisc {
  std::map<std::uint32_t, Block> blocks;
  int reads = 0;

  FakeDisc() = default;
  explicit FakeDisc(const std::vector<Block>& image, std::uint32_t start = 0) {
    for (std::size_t i = 0; i < image.size(); ++i) {
      blocks[start + static_cast<std::uint32_t>(i)] = image[i];
    }
  }
  BlockReader Reader() {
    return [this](std::uint32_t lba, Block& out) {
      ++reads;
      auto it = blocks.find(lba);
      if (it == blocks.end()) return false;
      out = it->second;
      return true;
    };
  }
};

TestIsoImage VideoCdTree() {
  TestIsoImage image;
  image.File("VCD/INFO.VCD;1").File("VCD/ENTRIES.VCD;1").Folder("CDI").File("MPEGAV/AVSEQ01.DAT;1");
  image.File("README.;1");
  return image;
}

Lookup Find(FakeDisc& disc, std::uint32_t start, std::vector<std::string> path) {
  const BlockReader read = disc.Reader();
  const Volume volume = FindPrimaryVolume(read, start);
  EXPECT_EQ(volume.outcome, Outcome::kFound);
  return FindPath(read, volume.root, path);
}

struct NameCase {
  const char* recorded;
  const char* component;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  case_names::PrintText(c.recorded, os);
}

class ComponentNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ComponentNameTest, DropsTheVersionAndATrailingDot) {
  EXPECT_EQ(ComponentName(GetParam().recorded), GetParam().component);
}

INSTANTIATE_TEST_SUITE_P(Names, ComponentNameTest,
                         ::testing::Values(NameCase{"VCD", "VCD"},
                                           NameCase{"INFO.VCD;1", "INFO.VCD"},
                                           NameCase{"README.;1", "README"},
                                           NameCase{"README.", "README"}, NameCase{"A;", "A"},
                                           NameCase{";1", ""}, NameCase{"A.B.;2", "A.B"}));

struct PathCase {
  std::vector<std::string> path;
  Outcome outcome;
  bool directory;
};

void PrintTo(const PathCase& c, std::ostream* os) {
  case_names::PrintTexts(c.path, os);
}

class FindPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(FindPathTest, AnswersAsTheCdFileSystemWould) {
  // A later session's volume: its extents are disc addresses, not offsets in the image.
  constexpr std::uint32_t kStart = 11700;
  FakeDisc disc(VideoCdTree().Blocks(kStart), kStart);
  const Lookup lookup = Find(disc, kStart, GetParam().path);
  EXPECT_EQ(lookup.outcome, GetParam().outcome);
  if (lookup.outcome == Outcome::kFound) {
    EXPECT_EQ(lookup.entry.directory, GetParam().directory);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FindPathTest,
    ::testing::Values(PathCase{{}, Outcome::kFound, true}, PathCase{{"VCD"}, Outcome::kFound, true},
                      PathCase{{"vcd"}, Outcome::kFound, true},
                      PathCase{{"Mpegav"}, Outcome::kFound, true},
                      PathCase{{"Cdi"}, Outcome::kFound, true},
                      PathCase{{"Vcd", "info.vcd"}, Outcome::kFound, false},
                      PathCase{{"readme"}, Outcome::kFound, false},
                      PathCase{{"Photo_cd"}, Outcome::kNotFound, false},
                      PathCase{{"Photo_cd", "x"}, Outcome::kPathNotFound, false},
                      PathCase{{"readme", "x"}, Outcome::kPathNotFound, false},
                      PathCase{{"VC"}, Outcome::kNotFound, false},
                      PathCase{{"VCD;1"}, Outcome::kNotFound, false}));

TEST(Iso9660DirectoryTest, APrimaryDescriptorAfterASupplementaryOneIsFound) {
  FakeDisc disc;
  disc.blocks[16] = testing::Descriptor(2);
  disc.blocks[17] = testing::PrimaryDescriptor({40, 4096}, "LATER", 50);
  disc.blocks[18] = testing::Descriptor(layout::kSetTerminator);
  const Volume volume = FindPrimaryVolume(disc.Reader(), 0);
  EXPECT_EQ(volume.outcome, Outcome::kFound);
  EXPECT_EQ(volume.root.block, 40u);
  EXPECT_EQ(volume.root.bytes, 4096u);
}

struct DescriptorCase {
  std::string name;
  std::function<void(std::vector<Block>&)> damage;
  Outcome outcome;
};

void PrintTo(const DescriptorCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class DescriptorTest : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(DescriptorTest, RefusesABrokenDescriptorSet) {
  std::vector<Block> image = VideoCdTree().Blocks();
  GetParam().damage(image);
  FakeDisc disc(image);
  EXPECT_EQ(FindPrimaryVolume(disc.Reader(), 0).outcome, GetParam().outcome);
  EXPECT_LE(disc.reads, kMaxDescriptors);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DescriptorTest,
    ::testing::Values(
        DescriptorCase{"NotIso9660", [](auto& b) { b[16][1] = 'X'; }, Outcome::kNoVolume},
        DescriptorCase{"TerminatorFirst", [](auto& b) { b[16] = testing::Descriptor(255); },
                       Outcome::kNoVolume},
        DescriptorCase{"NoTerminatorAndNoPrimary",
                       [](auto& b) {
                         b.resize(16 + kMaxDescriptors + 4, testing::Descriptor(2));
                         for (auto& block : b) block = testing::Descriptor(2);
                       },
                       Outcome::kNoVolume},
        DescriptorCase{"UnreadableDescriptor", [](auto& b) { b.resize(16); }, Outcome::kReadFailed},
        DescriptorCase{"RootRecordTooShort", [](auto& b) { b[16][layout::kRootRecord] = 33; },
                       Outcome::kMalformed},
        DescriptorCase{"RootIsAFile",
                       [](auto& b) { b[16][layout::kRootRecord + layout::kFlags] = 0; },
                       Outcome::kMalformed},
        DescriptorCase{"RootWithoutName",
                       [](auto& b) { b[16][layout::kRootRecord + layout::kNameLength] = 0; },
                       Outcome::kMalformed}),
    [](const auto& info) { return info.param.name; });

TEST(Iso9660DirectoryTest, AVolumeAtTheTopOfTheAddressRangeIsNotReadPastIt) {
  FakeDisc disc;
  EXPECT_EQ(FindPrimaryVolume(disc.Reader(), UINT32_MAX - 3).outcome, Outcome::kNoVolume);
  EXPECT_EQ(disc.reads, 0);
}

// A root directory at block 20 whose second record is `record` bytes, after a good one.
struct RecordCase {
  std::string name;
  std::vector<std::uint8_t> record;
};

void PrintTo(const RecordCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

std::vector<std::uint8_t> Broken(std::vector<std::uint8_t> record, std::size_t at,
                                 std::uint8_t value) {
  record[at] = value;
  return record;
}

class MalformedRecordTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(MalformedRecordTest, StopsTheListingAndKeepsWhatCameBefore) {
  const Extent root{20, kBlockSize};
  Block block = DirectoryBlock(root, root, {Record("GOOD", {30, 10}, false)});
  // The good record ends at 34 + 34 + 38; the broken one follows it.
  const std::size_t offset = 34 + 34 + 38;
  std::copy(GetParam().record.begin(), GetParam().record.end(), block.begin() + offset);
  FakeDisc disc;
  disc.blocks[20] = block;
  const Directory listing = ReadDirectory(disc.Reader(), root);
  EXPECT_EQ(listing.outcome, Outcome::kMalformed);
  ASSERT_EQ(listing.entries.size(), 1u);
  EXPECT_EQ(listing.entries[0].name, "GOOD");
  // A name after the broken record cannot be known to be absent.
  EXPECT_EQ(FindPath(disc.Reader(), root, std::vector<std::string>{"OTHER"}).outcome,
            Outcome::kMalformed);
  EXPECT_EQ(FindPath(disc.Reader(), root, std::vector<std::string>{"good"}).outcome,
            Outcome::kFound);
}

const std::vector<std::uint8_t> kGoodRecord = Record("SECOND", {31, 10}, true);

INSTANTIATE_TEST_SUITE_P(
    Records, MalformedRecordTest,
    ::testing::Values(
        RecordCase{"ShorterThanTheFixedPart", Broken(kGoodRecord, layout::kRecordLength, 33)},
        RecordCase{"NameLongerThanTheRecord", Broken(kGoodRecord, layout::kNameLength, 8)},
        RecordCase{"NameOfLengthZero", Broken(kGoodRecord, layout::kNameLength, 0)},
        RecordCase{"LengthOne", Broken(kGoodRecord, layout::kRecordLength, 1)}),
    [](const auto& info) { return info.param.name; });

TEST(Iso9660DirectoryTest, ARecordThatCrossesTheBlockEndIsMalformed) {
  const Extent root{20, kBlockSize};
  std::vector<std::vector<std::uint8_t>> records;
  // 49 records of 40 bytes after the first two of 34 end at 2028; the 50th would end at 2068.
  for (int i = 0; i < 50; ++i) {
    records.push_back(Record("FILE" + std::to_string(10 + i), {30, 1}, false));
  }
  records.back().resize(20);  // only the part that fits in the block is written
  FakeDisc disc;
  disc.blocks[20] = DirectoryBlock(root, root, records);
  const Directory listing = ReadDirectory(disc.Reader(), root);
  EXPECT_EQ(listing.outcome, Outcome::kMalformed);
  EXPECT_EQ(listing.entries.size(), 49u);
}

TEST(Iso9660DirectoryTest, ZeroPaddingMovesOnToTheNextBlockAndTheSizeEndsTheDirectory) {
  const Extent root{20, kBlockSize + 100};
  FakeDisc disc;
  disc.blocks[20] = DirectoryBlock(root, root, {Record("FIRST", {30, 1}, false)});
  Block second{};
  const auto within = Record("SECOND", {31, 1}, false);
  const auto beyond = Record("BEYOND", {32, 1}, false);
  std::copy(within.begin(), within.end(), second.begin());
  // Starts past the 100 bytes the directory's size gives its second block.
  std::copy(beyond.begin(), beyond.end(), second.begin() + 100);
  disc.blocks[21] = second;
  const Directory listing = ReadDirectory(disc.Reader(), root);
  EXPECT_EQ(listing.outcome, Outcome::kFound);
  ASSERT_EQ(listing.entries.size(), 2u);
  EXPECT_EQ(listing.entries[0].name, "FIRST");
  EXPECT_EQ(listing.entries[1].name, "SECOND");
}

TEST(Iso9660DirectoryTest, AHugeDirectoryIsReadOnlyToTheCap) {
  const Extent root{20, 0xFFFFFFFF};
  FakeDisc disc;
  // Every block reads as the same empty directory block.
  const Block empty = DirectoryBlock(root, root, {});
  BlockReader read = [&](std::uint32_t, Block& out) {
    ++disc.reads;
    out = empty;
    return true;
  };
  EXPECT_EQ(FindPath(read, root, std::vector<std::string>{"X"}).outcome, Outcome::kNotFound);
  EXPECT_EQ(disc.reads, static_cast<int>(kMaxDirectoryBytes / kBlockSize));
}

TEST(Iso9660DirectoryTest, AnExtentPastTheDiscFailsTheRead) {
  const Extent root{20, kBlockSize};
  FakeDisc disc;
  disc.blocks[20] = DirectoryBlock(root, root, {Record("SUB", {0xFFFFFFFF, 4 * kBlockSize}, true)});
  EXPECT_EQ(FindPath(disc.Reader(), root, std::vector<std::string>{"SUB", "X"}).outcome,
            Outcome::kReadFailed);
}

TEST(Iso9660DirectoryTest, AFolderThatIsItsOwnChildEndsAtTheDepthCap) {
  const Extent root{20, kBlockSize};
  FakeDisc disc;
  disc.blocks[20] = DirectoryBlock(root, root, {Record("LOOP", root, true)});
  std::vector<std::string> path(kMaxDepth, "LOOP");
  EXPECT_EQ(FindPath(disc.Reader(), root, path).outcome, Outcome::kFound);
  EXPECT_EQ(disc.reads, static_cast<int>(kMaxDepth));
  path.push_back("LOOP");
  disc.reads = 0;
  EXPECT_EQ(FindPath(disc.Reader(), root, path).outcome, Outcome::kPathNotFound);
  EXPECT_EQ(disc.reads, 0);
}

}  // namespace
}  // namespace korvel::formats::iso9660
