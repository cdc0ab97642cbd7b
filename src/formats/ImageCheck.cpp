#include "formats/ImageCheck.h"

#include <algorithm>

#include "formats/BigEndian.h"

namespace korvel::formats {

ImageVerdict CheckImage(std::span<const std::uint8_t> image, const UpgradeFileFormat& format) {
  ImageVerdict verdict;
  const std::size_t signatureEnd = format.signatureOffset + kSignatureLength;
  if (image.size() < signatureEnd ||
      !std::equal(format.signature.begin(), format.signature.end(),
                  image.begin() + format.signatureOffset, [](char expected, std::uint8_t actual) {
                    return static_cast<std::uint8_t>(expected) == actual;
                  })) {
    verdict.kind = ImageVerdict::Kind::BadSignature;
    return verdict;
  }
  if (image.size() < format.imageSize) {
    verdict.kind = ImageVerdict::Kind::TooShort;
    return verdict;
  }
  verdict.computed = ByteSum(image.first(format.checksumOffset()));
  verdict.stored = static_cast<std::uint16_t>(
      formats::GetBigEndian(image.data() + format.checksumOffset(), kChecksumLength));
  verdict.kind = verdict.computed == verdict.stored ? ImageVerdict::Kind::Valid
                                                    : ImageVerdict::Kind::BadChecksum;
  return verdict;
}

std::array<char, kRevisionLength> RevisionOf(std::span<const std::uint8_t> image,
                                             const UpgradeFileFormat& format) {
  std::array<char, kRevisionLength> revision;
  revision.fill(' ');
  for (std::size_t i = 0; i < kRevisionLength; ++i) {
    const std::size_t at = format.revisionOffset() + i;
    if (at < image.size()) revision[i] = static_cast<char>(image[at]);
  }
  return revision;
}

const char* VerdictName(ImageVerdict::Kind kind) {
  switch (kind) {
    case ImageVerdict::Kind::Valid:
      return "valid";
    case ImageVerdict::Kind::BadSignature:
      return "bad signature";
    case ImageVerdict::Kind::BadChecksum:
      return "bad checksum";
    case ImageVerdict::Kind::TooShort:
      return "too short";
  }
  return "unknown";
}

}  // namespace korvel::formats
