#include "formats/ImageCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "formats/SampleImage.h"

namespace korvel::formats {
namespace {

using Kind = ImageVerdict::Kind;
using Image = std::vector<std::uint8_t>;

TEST(UpgradeFileFormatTest, LayoutOfBothFormats) {
  EXPECT_EQ(kFormatA.imageSize, 393216u);
  EXPECT_EQ(kFormatA.signatureOffset, 392988u);
  EXPECT_EQ(kFormatA.checksumOffset(), 0x5FFFEu);
  EXPECT_EQ(kFormatA.revisionOffset(), 0x5FF2Fu);
  EXPECT_EQ(std::string(kFormatA.signature.begin(), kFormatA.signature.end()),
            "VELMORA BRESKAN 000");
  EXPECT_EQ(kFormatB.imageSize, 524288u);
  EXPECT_EQ(kFormatB.signatureOffset, 524060u);
  EXPECT_EQ(kFormatB.checksumOffset(), 0x7FFFEu);
  EXPECT_EQ(std::string(kFormatB.signature.begin(), kFormatB.signature.end()),
            "VELMORA VEDRIN  000");
}

TEST(UpgradeFileFormatTest, FormatForDriveType) {
  const struct {
    int driveType;
    const UpgradeFileFormat* expected;
  } cases[] = {{16, &kFormatB}, {18, &kFormatA}, {17, nullptr}, {19, nullptr},
               {11, nullptr},   {-1, nullptr},   {-2, nullptr}, {0, nullptr}};
  for (const auto& c : cases) {
    EXPECT_EQ(FormatForDriveType(c.driveType), c.expected) << "type " << c.driveType;
  }
}

struct VerdictCase {
  std::string name;
  const UpgradeFileFormat* builtFor;
  const UpgradeFileFormat* checkedAs;
  std::function<void(Image&)> damage;
  Kind expected;
};

TEST(CheckImageTest, VerdictsOnDamagedImages) {
  const VerdictCase cases[] = {
      {"valid B", &kFormatB, &kFormatB, [](Image&) {}, Kind::Valid},
      {"valid A", &kFormatA, &kFormatA, [](Image&) {}, Kind::Valid},
      {"B image checked as A", &kFormatB, &kFormatA, [](Image&) {}, Kind::BadSignature},
      {"A image checked as B", &kFormatA, &kFormatB, [](Image&) {}, Kind::BadSignature},
      {"signature case", &kFormatB, &kFormatB, [](Image& i) { BreakSignatureCase(i, kFormatB); },
       Kind::BadSignature},
      {"checksum low byte first", &kFormatA, &kFormatA,
       [](Image& i) { StoreChecksumLowByteFirst(i, kFormatA); }, Kind::BadChecksum},
      {"checksum off by one", &kFormatB, &kFormatB,
       [](Image& i) { StoreChecksumOffByOne(i, kFormatB); }, Kind::BadChecksum},
      {"one byte short of the signature end", &kFormatA, &kFormatA,
       [](Image& i) { TruncateImage(i, 0x5FF2E); }, Kind::BadSignature},
      {"signature but no checksum", &kFormatA, &kFormatA,
       [](Image& i) { TruncateImage(i, kFormatA.imageSize - 1); }, Kind::TooShort},
      {"empty", &kFormatB, &kFormatB, [](Image& i) { i.clear(); }, Kind::BadSignature},
      {"trailing bytes ignored", &kFormatB, &kFormatB,
       [](Image& i) { AppendTrailingBytes(i, 1000, 3); }, Kind::Valid},
      {"firmware byte changed", &kFormatB, &kFormatB, [](Image& i) { i[100] ^= 0x01; },
       Kind::BadChecksum},
      {"signature byte changed", &kFormatB, &kFormatB,
       [](Image& i) { i[kFormatB.signatureOffset + 18] = '1'; }, Kind::BadSignature},
  };
  for (const auto& c : cases) {
    Image image = MakeSampleImage(*c.builtFor, "1.10", 42);
    c.damage(image);
    EXPECT_EQ(CheckImage(image, *c.checkedAs).kind, c.expected) << c.name;
  }
}

// An image of zeros apart from the signature and revision has a sum that is easy to state.
Image QuietImage(const UpgradeFileFormat& format) {
  Image image(format.imageSize, 0);
  std::memcpy(image.data() + format.signatureOffset, format.signature.data(), kSignatureLength);
  std::memcpy(image.data() + format.revisionOffset(), "1.00", kRevisionLength);
  return image;
}

TEST(CheckImageTest, ComputedAndStoredValues) {
  Image image = QuietImage(kFormatB);
  std::uint32_t expected = 0;
  for (char c : std::string("VELMORA VEDRIN  0001.00")) expected += static_cast<std::uint8_t>(c);
  image[kFormatB.checksumOffset()] = 0x00;
  image[kFormatB.checksumOffset() + 1] = 0xFF;
  const ImageVerdict verdict = CheckImage(image, kFormatB);
  EXPECT_EQ(verdict.kind, Kind::BadChecksum);
  EXPECT_EQ(verdict.computed, expected);
  EXPECT_EQ(verdict.stored, 0x00FF);
}

TEST(CheckImageTest, OnlyTheLow16BitsOfTheSumCount) {
  // 0x1FFFF = 0x7F4 (the signature and revision) + bytes of 0xFF filling the rest.
  Image image = QuietImage(kFormatB);
  std::uint32_t sum = ByteSum(std::span(image).first(kFormatB.checksumOffset()));
  std::size_t at = 0;
  while (0x1FFFF - sum >= 0xFF) {
    image[at++] = 0xFF;
    sum += 0xFF;
  }
  image[at] = static_cast<std::uint8_t>(0x1FFFF - sum);
  image[kFormatB.checksumOffset()] = 0xFF;
  image[kFormatB.checksumOffset() + 1] = 0xFF;
  const ImageVerdict verdict = CheckImage(image, kFormatB);
  EXPECT_EQ(verdict.kind, Kind::Valid);
  EXPECT_EQ(verdict.computed, 0xFFFF);
}

TEST(CheckImageTest, ByteSumWrapsAt65536) {
  const std::vector<std::uint8_t> bytes(258, 0xFF);  // 258 * 255 = 65790 = 0x100FE
  EXPECT_EQ(ByteSum(bytes), 0x00FE);
}

TEST(RevisionOfTest, BytesAfterTheSignature) {
  const struct {
    const UpgradeFileFormat* format;
    std::string revision;
    std::size_t truncateTo;
    std::string expected;
  } cases[] = {
      {&kFormatA, "1.10", SIZE_MAX, "1.10"},
      {&kFormatB, "2.0a", SIZE_MAX, "2.0a"},
      {&kFormatB, "7", SIZE_MAX, "7   "},
      {&kFormatB, "3.21", kFormatB.revisionOffset() + 2, "3.  "},
      {&kFormatA, "3.21", 10, "    "},
  };
  for (const auto& c : cases) {
    Image image = MakeSampleImage(*c.format, c.revision, 1);
    TruncateImage(image, c.truncateTo);
    const auto revision = RevisionOf(image, *c.format);
    EXPECT_EQ(std::string(revision.begin(), revision.end()), c.expected) << c.revision;
  }
}

}  // namespace
}  // namespace korvel::formats
