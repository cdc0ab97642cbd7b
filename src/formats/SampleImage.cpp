#include "formats/SampleImage.h"

#include <algorithm>
#include <stdexcept>

#include "formats/BigEndian.h"
#include "formats/ImageCheck.h"

namespace korvel::formats {
namespace {

// xorshift32: small, fast and the same on every platform, so a seed names one image forever.
class ByteStream {
 public:
  explicit ByteStream(std::uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {
    if (state_ == 0) state_ = 0x6B43A9B5u;
  }
  std::uint8_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<std::uint8_t>(state_ >> 24);
  }

 private:
  std::uint32_t state_;
};

void RequireFullImage(const std::vector<std::uint8_t>& image, const UpgradeFileFormat& format) {
  if (image.size() < format.imageSize) {
    throw std::invalid_argument("image shorter than the format's image size");
  }
}

}  // namespace

std::vector<std::uint8_t> MakeSampleImage(const UpgradeFileFormat& format,
                                          std::string_view revision, std::uint32_t seed) {
  if (revision.empty() || revision.size() > kRevisionLength) {
    throw std::invalid_argument("a revision has 1 to 4 characters");
  }
  std::vector<std::uint8_t> image(format.imageSize);
  ByteStream stream(seed);
  std::generate(image.begin(), image.end(), [&stream] { return stream.Next(); });
  std::copy(format.signature.begin(), format.signature.end(),
            image.begin() + format.signatureOffset);
  for (std::size_t i = 0; i < kRevisionLength; ++i) {
    image[format.revisionOffset() + i] =
        static_cast<std::uint8_t>(i < revision.size() ? revision[i] : ' ');
  }
  StoreChecksum(image, format);
  return image;
}

void StoreChecksum(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format) {
  RequireFullImage(image, format);
  const std::uint16_t sum = ByteSum(std::span(image).first(format.checksumOffset()));
  formats::PutBigEndian(image.data() + format.checksumOffset(), sum, kChecksumLength);
}

void BreakSignatureCase(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format) {
  RequireFullImage(image, format);
  for (std::size_t i = 0; i < kSignatureLength; ++i) {
    std::uint8_t& byte = image[format.signatureOffset + i];
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<std::uint8_t>(byte - 'A' + 'a');
  }
  StoreChecksum(image, format);
}

void StoreChecksumLowByteFirst(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format) {
  RequireFullImage(image, format);
  std::uint16_t sum = ByteSum(std::span(image).first(format.checksumOffset()));
  while ((sum >> 8) == (sum & 0xFF)) {
    ++image[0];
    sum = ByteSum(std::span(image).first(format.checksumOffset()));
  }
  image[format.checksumOffset()] = static_cast<std::uint8_t>(sum & 0xFF);
  image[format.checksumOffset() + 1] = static_cast<std::uint8_t>(sum >> 8);
}

void StoreChecksumOffByOne(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format) {
  RequireFullImage(image, format);
  const std::uint16_t sum = ByteSum(std::span(image).first(format.checksumOffset()));
  formats::PutBigEndian(image.data() + format.checksumOffset(), static_cast<std::uint16_t>(sum + 1),
                        kChecksumLength);
}

void TruncateImage(std::vector<std::uint8_t>& image, std::size_t size) {
  if (image.size() > size) image.resize(size);
}

void AppendTrailingBytes(std::vector<std::uint8_t>& image, std::size_t count, std::uint32_t seed) {
  ByteStream stream(seed ^ 0xA5A5A5A5u);
  for (std::size_t i = 0; i < count; ++i) image.push_back(stream.Next());
}

std::vector<std::uint8_t> TransferBytesOf(const std::vector<std::uint8_t>& image) {
  std::vector<std::uint8_t> bytes(kTransferBytes, kPadByte);
  std::copy_n(image.begin(), std::min<std::size_t>(image.size(), kTransferBytes), bytes.begin());
  return bytes;
}

}  // namespace korvel::formats
