#include "formats/SampleImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "formats/ImageCheck.h"

namespace korvel::formats {
namespace {

using Image = std::vector<std::uint8_t>;

TEST(SampleImageTest, ExactBytesOfTheLayout) {
  for (const UpgradeFileFormat* format : {&kFormatA, &kFormatB}) {
    const Image image = MakeSampleImage(*format, "1.10", 7);
    ASSERT_EQ(image.size(), format->imageSize) << format->name;
    EXPECT_TRUE(std::equal(format->signature.begin(), format->signature.end(),
                           image.begin() + format->signatureOffset));
    EXPECT_EQ(std::string(image.begin() + format->revisionOffset(),
                          image.begin() + format->revisionOffset() + 4),
              "1.10");
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 2 < image.size(); ++i) sum += image[i];
    EXPECT_EQ(image[image.size() - 2], (sum >> 8) & 0xFF) << format->name;
    EXPECT_EQ(image[image.size() - 1], sum & 0xFF) << format->name;
  }
}

TEST(SampleImageTest, TheSeedNamesTheFirmwareBytes) {
  const Image first = MakeSampleImage(kFormatB, "1.10", 5);
  EXPECT_EQ(first, MakeSampleImage(kFormatB, "1.10", 5));
  const Image other = MakeSampleImage(kFormatB, "1.10", 6);
  EXPECT_NE(first, other);
  // Not a constant fill: many different byte values.
  EXPECT_GT(std::count(first.begin(), first.begin() + 4096, first[0]), 0);
  EXPECT_LT(std::count(first.begin(), first.begin() + 4096, first[0]), 200);
}

TEST(SampleImageTest, RevisionLengthIsChecked) {
  EXPECT_THROW(MakeSampleImage(kFormatA, "", 1), std::invalid_argument);
  EXPECT_THROW(MakeSampleImage(kFormatA, "1.100", 1), std::invalid_argument);
}

TEST(SampleImageTest, LowByteFirstBreaksEvenASumWithEqualBytes) {
  Image image = MakeSampleImage(kFormatB, "1.10", 9);
  // Steer the sum to 0x4242, whose two orders are the same bytes.
  const std::uint16_t sum = ByteSum(std::span(image).first(kFormatB.checksumOffset()));
  std::uint16_t need = static_cast<std::uint16_t>(0x4242 - sum);
  for (std::size_t i = 0; need != 0; ++i) {
    const std::uint8_t room = static_cast<std::uint8_t>(0xFF - image[i]);
    const std::uint8_t add = static_cast<std::uint8_t>(std::min<std::uint16_t>(room, need));
    image[i] = static_cast<std::uint8_t>(image[i] + add);
    need = static_cast<std::uint16_t>(need - add);
  }
  ASSERT_EQ(ByteSum(std::span(image).first(kFormatB.checksumOffset())), 0x4242);
  StoreChecksumLowByteFirst(image, kFormatB);
  const ImageVerdict verdict = CheckImage(image, kFormatB);
  EXPECT_EQ(verdict.kind, ImageVerdict::Kind::BadChecksum);
  EXPECT_EQ(verdict.stored, ((verdict.computed & 0xFF) << 8) | (verdict.computed >> 8));
}

TEST(SampleImageTest, SignatureCaseIsTheOnlyFault) {
  Image image = MakeSampleImage(kFormatA, "1.10", 2);
  BreakSignatureCase(image, kFormatA);
  EXPECT_EQ(std::string(image.begin() + kFormatA.signatureOffset,
                        image.begin() + kFormatA.signatureOffset + kSignatureLength),
            "velmora breskan 000");
  std::copy(kFormatA.signature.begin(), kFormatA.signature.end(),
            image.begin() + kFormatA.signatureOffset);
  // Restoring the signature alone leaves a stale checksum: the broken image carried its own.
  EXPECT_EQ(CheckImage(image, kFormatA).kind, ImageVerdict::Kind::BadChecksum);
}

TEST(SampleImageTest, TransferBytesPadOrCut) {
  const struct { std::size_t fileSize; } cases[] = {{393216}, {524288}, {600000}, {0}};
  const Image source = [] {
    Image image = MakeSampleImage(kFormatB, "1.10", 4);
    AppendTrailingBytes(image, 600000 - image.size(), 4);
    return image;
  }();
  for (const auto& c : cases) {
    const Image file(source.begin(), source.begin() + c.fileSize);
    const Image sent = TransferBytesOf(file);
    ASSERT_EQ(sent.size(), kTransferBytes);
    const std::size_t kept = std::min<std::size_t>(c.fileSize, kTransferBytes);
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + kept, source.begin())) << c.fileSize;
    EXPECT_TRUE(std::all_of(sent.begin() + kept, sent.end(), [](auto b) { return b == 0xFF; }))
        << c.fileSize;
  }
}

}  // namespace
}  // namespace korvel::formats
