#include "upgrade/UpgradeFileCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "formats/SampleImage.h"
#include "upgrade/StatusTexts.h"

namespace korvel::upgrade {
namespace {

using formats::kFormatA;
using formats::kFormatB;
using formats::UpgradeFileFormat;
using Image = std::vector<std::uint8_t>;
using Outcome = FileCheckResult::Outcome;

constexpr char kPath[] = "C:\\KORVEL\\RZ5140.BIN";

// An image of zeros with the signature, whose summed bytes add up to exactly `sum` (not reduced
// modulo 65536), and `stored` in the checksum bytes, high byte first.
Image ImageWithSum(const UpgradeFileFormat& format, std::uint32_t sum, std::uint16_t stored) {
  Image image(format.imageSize, 0);
  std::uint32_t signatureSum = 0;
  for (std::size_t i = 0; i < formats::kSignatureLength; ++i) {
    image[format.signatureOffset + i] = static_cast<std::uint8_t>(format.signature[i]);
    signatureSum += static_cast<std::uint8_t>(format.signature[i]);
  }
  std::uint32_t rest = sum - signatureSum;
  for (std::size_t i = 0; rest > 0; ++i) {
    const std::uint8_t byte = rest >= 0xFF ? 0xFF : static_cast<std::uint8_t>(rest);
    image[i] = byte;
    rest -= byte;
  }
  image[format.checksumOffset()] = static_cast<std::uint8_t>(stored >> 8);
  image[format.checksumOffset() + 1] = static_cast<std::uint8_t>(stored);
  return image;
}

struct CheckCase {
  const char* name;
  std::function<Image()> makeFile;
  const UpgradeFileFormat* format;
  Outcome outcome;
  std::string statusText;
};

// The case's name names the test already; the verdict it expects is what this adds.
void PrintTo(const CheckCase& test, std::ostream* out) {
  static constexpr const char* kOutcomes[] = {"Valid",    "CannotOpen", "BadSignature",
                                              "TooShort", "ReadError",  "BadChecksum"};
  *out << kOutcomes[static_cast<int>(test.outcome)];
}

class UpgradeFileCheckTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(UpgradeFileCheckTest, GivesTheVerdictAndItsText) {
  const CheckCase& test = GetParam();
  testing::MemoryFileSystem files;
  files.files[kPath] = test.makeFile();
  TransferBuffer buffer{};
  const FileCheckResult result = CheckUpgradeFileAt(files, kPath, *test.format, buffer);
  EXPECT_EQ(result.outcome, test.outcome);
  EXPECT_EQ(result.statusText, test.statusText);
  EXPECT_EQ(files.OpenHandles(), 0) << "the file stays open after the check";
}

const std::string kValidText = "Valid upgrade file loaded: RZ5140.BIN";

INSTANTIATE_TEST_SUITE_P(
    Files, UpgradeFileCheckTest,
    ::testing::Values(CheckCase{"FormatBForItsDrive",
                                [] { return formats::MakeSampleImage(kFormatB, "1.20", 1); },
                                &kFormatB, Outcome::Valid, kValidText},
                      CheckCase{"FormatAForItsDrive",
                                [] { return formats::MakeSampleImage(kFormatA, "1.20", 1); },
                                &kFormatA, Outcome::Valid, kValidText},
                      CheckCase{"FormatBFileForTheFormatADrive",
                                [] { return formats::MakeSampleImage(kFormatB, "1.20", 1); },
                                &kFormatA, Outcome::BadSignature, kNotValidFileText},
                      CheckCase{"OnlyTheLow16BitsOfTheSumCount",
                                [] { return ImageWithSum(kFormatB, 0x1FFFF, 0xFFFF); }, &kFormatB,
                                Outcome::Valid, kValidText},
                      CheckCase{"ComputedFirstWithoutLeadingZeros",
                                [] { return ImageWithSum(kFormatB, 0x30ABC, 0x00FF); }, &kFormatB,
                                Outcome::BadChecksum, "Checksum error: ABC <-> FF"},
                      CheckCase{"ChecksumStoredLowByteFirst",
                                [] { return ImageWithSum(kFormatA, 0x1234, 0x3412); }, &kFormatA,
                                Outcome::BadChecksum, "Checksum error: 1234 <-> 3412"},
                      CheckCase{"ChecksumLowByteFirstWithEqualBytesPasses",
                                [] { return ImageWithSum(kFormatA, 0x4141, 0x4141); }, &kFormatA,
                                Outcome::Valid, kValidText},
                      CheckCase{"SignatureInLowerCase",
                                [] {
                                  Image image = formats::MakeSampleImage(kFormatB, "1.20", 2);
                                  formats::BreakSignatureCase(image, kFormatB);
                                  return image;
                                },
                                &kFormatB, Outcome::BadSignature, kNotValidFileText},
                      CheckCase{"FormatAOneByteShortOfTheSignatureEnd",
                                [] {
                                  Image image = formats::MakeSampleImage(kFormatA, "1.20", 3);
                                  formats::TruncateImage(image, 0x5FF2E);
                                  return image;
                                },
                                &kFormatA, Outcome::BadSignature, kNotValidFileText},
                      CheckCase{"SignatureButShorterThanTheImage",
                                [] {
                                  Image image = formats::MakeSampleImage(kFormatB, "1.20", 4);
                                  formats::TruncateImage(image, kFormatB.imageSize - 1);
                                  return image;
                                },
                                &kFormatB, Outcome::TooShort, kNotValidFileText},
                      CheckCase{"TrailingBytesAreIgnored",
                                [] {
                                  Image image = formats::MakeSampleImage(kFormatB, "1.20", 5);
                                  formats::AppendTrailingBytes(image, 70000, 9);
                                  return image;
                                },
                                &kFormatB, Outcome::Valid, kValidText},
                      CheckCase{"EmptyFile", [] { return Image{}; }, &kFormatB,
                                Outcome::BadSignature, kNotValidFileText}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpgradeFileCheckReadsTest, OpensWithoutSharingAndReadsNothingPastTheImage) {
  for (const UpgradeFileFormat* format : {&kFormatA, &kFormatB}) {
    testing::MemoryFileSystem files;
    Image image = formats::MakeSampleImage(*format, "1.20", 6);
    formats::AppendTrailingBytes(image, 100000, 1);
    files.files[kPath] = image;
    TransferBuffer buffer{};
    ASSERT_TRUE(CheckUpgradeFileAt(files, kPath, *format, buffer).valid());

    ASSERT_EQ(files.opens.size(), 1u);
    EXPECT_EQ(files.opens[0].access, platform::GENERIC_READ);
    EXPECT_EQ(files.opens[0].shareMode, 0u);
    EXPECT_EQ(files.opens[0].creation, platform::OPEN_EXISTING);
    EXPECT_EQ(files.opens[0].attributes, platform::FILE_ATTRIBUTE_NORMAL);

    // Front to back in 32 KiB pieces and nothing else: the signature and the checksum are
    // taken from the last piece, so the check reads no more often than a plain read would.
    std::vector<testing::MemoryFileSystem::ReadCall> expected;
    for (std::uint32_t offset = 0; offset < format->imageSize; offset += 32768)
      expected.push_back({offset, 32768});
    ASSERT_EQ(files.reads.size(), expected.size()) << format->name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(files.reads[i].offset, expected[i].offset) << format->name << " read " << i;
      EXPECT_EQ(files.reads[i].size, expected[i].size) << format->name << " read " << i;
    }
  }
}

TEST(UpgradeFileCheckReadsTest, AShortFileFailsWhateverTheBufferHeldBefore) {
  // The buffer first holds the tail of a valid image; a file that ends early must not be
  // summed over those bytes.
  testing::MemoryFileSystem files;
  const Image valid = formats::MakeSampleImage(kFormatB, "1.20", 7);
  Image shortFile = valid;
  formats::TruncateImage(shortFile, kFormatB.imageSize - 100);
  files.files["valid.bin"] = valid;
  files.files["short.bin"] = shortFile;
  TransferBuffer buffer{};
  ASSERT_TRUE(CheckUpgradeFileAt(files, "valid.bin", kFormatB, buffer).valid());
  const FileCheckResult result = CheckUpgradeFileAt(files, "short.bin", kFormatB, buffer);
  EXPECT_EQ(result.outcome, Outcome::TooShort);
  EXPECT_EQ(result.statusText, kNotValidFileText);
}

TEST(UpgradeFileCheckReadsTest, FilesThatCannotBeOpenedOrRead) {
  struct Case {
    const char* name;
    std::string path;
    bool heldByOther;
    std::optional<std::uint64_t> readErrorAt;
    Outcome outcome;
    std::string statusText;
  };
  const std::vector<Case> cases{
      {"HeldByAnotherProgram", kPath, true, std::nullopt, Outcome::CannotOpen, kNotValidFileText},
      {"DoesNotExist", "C:\\KORVEL\\NONE.BIN", false, std::nullopt, Outcome::CannotOpen,
       kNotValidFileText},
      {"NoPath", "", false, std::nullopt, Outcome::CannotOpen, kNotValidFileText},
      {"ReadErrorAtTheSignature", kPath, false, kFormatB.signatureOffset, Outcome::ReadError,
       kFileReadErrorText},
      {"ReadErrorInTheSum", kPath, false, 0x40000, Outcome::ReadError, kFileReadErrorText},
  };
  for (const Case& test : cases) {
    testing::MemoryFileSystem files;
    files.files[kPath] = formats::MakeSampleImage(kFormatB, "1.20", 8);
    if (test.heldByOther) files.heldByOther.insert(kPath);
    files.readErrorAt = test.readErrorAt;
    TransferBuffer buffer{};
    const FileCheckResult result = CheckUpgradeFileAt(files, test.path, kFormatB, buffer);
    EXPECT_EQ(result.outcome, test.outcome) << test.name;
    EXPECT_EQ(result.statusText, test.statusText) << test.name;
    EXPECT_EQ(files.OpenHandles(), 0) << test.name;
  }
}

}  // namespace
}  // namespace korvel::upgrade
