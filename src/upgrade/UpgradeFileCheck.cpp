#include "upgrade/UpgradeFileCheck.h"

#include <algorithm>
#include <array>
#include <span>

#include "formats/BigEndian.h"
#include "formats/ImageCheck.h"
#include "upgrade/StatusTexts.h"
#include "upgrade/UpgradeFileReader.h"

namespace korvel::upgrade {
namespace {

using Outcome = FileCheckResult::Outcome;

FileCheckResult Verdict(Outcome outcome, const formats::UpgradeFileFormat& format,
                        std::uint32_t bytesRead = 0) {
  FileCheckResult result;
  result.outcome = outcome;
  result.format = &format;
  result.bytesRead = bytesRead;
  result.statusText = outcome == Outcome::ReadError ? kFileReadErrorText : kNotValidFileText;
  return result;
}

// Copies the bytes of `piece`, which starts at `pieceOffset` in the file, that fall inside the
// field starting at `fieldOffset` into the same places of `field`.
void TakeField(std::span<const std::uint8_t> piece, std::uint32_t pieceOffset,
               std::uint32_t fieldOffset, std::span<std::uint8_t> field) {
  const std::uint64_t pieceEnd = std::uint64_t{pieceOffset} + piece.size();
  const std::uint64_t fieldEnd = std::uint64_t{fieldOffset} + field.size();
  const std::uint64_t from = std::max<std::uint64_t>(pieceOffset, fieldOffset);
  const std::uint64_t to = std::min(pieceEnd, fieldEnd);
  for (std::uint64_t at = from; at < to; ++at) field[at - fieldOffset] = piece[at - pieceOffset];
}

bool SignatureMatches(std::span<const std::uint8_t> bytes,
                      const formats::UpgradeFileFormat& format) {
  return std::equal(
      bytes.begin(), bytes.end(), format.signature.begin(),
      [](std::uint8_t byte, char expected) { return byte == static_cast<std::uint8_t>(expected); });
}

}  // namespace

FileCheckResult CheckUpgradeFileAt(platform::FileSystem& files, const std::string& path,
                                   const formats::UpgradeFileFormat& format,
                                   TransferBuffer& buffer) {
  UpgradeFileReader file(files, path);
  if (!file.IsOpen()) {
    FileCheckResult result = Verdict(Outcome::CannotOpen, format);
    result.openError = file.OpenError();
    return result;
  }

  // The signature and the stored checksum both lie in the image's last piece, so one pass
  // front to back, in as many reads as the image needs, gives everything the check looks at:
  // the file costs no more system calls than reading it does. The verdicts keep their order
  // (signature, length, checksum); only a read error, wherever it happens, is named first.
  std::array<std::uint8_t, formats::kSignatureLength> signature{};
  std::array<std::uint8_t, formats::kChecksumLength> storedBytes{};
  const std::uint32_t summedEnd = format.checksumOffset();
  std::uint32_t sum = 0;
  std::uint32_t offset = 0;
  while (offset < format.imageSize) {
    const std::uint32_t wanted = std::min<std::uint32_t>(format.imageSize - offset,
                                                         static_cast<std::uint32_t>(buffer.size()));
    std::uint32_t delivered = 0;
    const auto read = file.ReadExactly(std::span<std::uint8_t>(buffer.data(), wanted), delivered);
    if (read == UpgradeFileReader::ReadResult::Error) {
      return Verdict(Outcome::ReadError, format, offset);
    }
    // Only the bytes this read delivered count: a sum over bytes left from an earlier read
    // would pass or fail by chance.
    const std::span<const std::uint8_t> piece(buffer.data(), delivered);
    TakeField(piece, offset, format.signatureOffset, signature);
    TakeField(piece, offset, summedEnd, storedBytes);
    if (offset < summedEnd) {
      sum += formats::ByteSum(piece.first(std::min(delivered, summedEnd - offset)));
    }
    offset += delivered;
    if (read == UpgradeFileReader::ReadResult::Short) break;
  }

  if (offset < format.signatureOffset + formats::kSignatureLength ||
      !SignatureMatches(signature, format)) {
    return Verdict(Outcome::BadSignature, format, offset);
  }
  if (offset < format.imageSize) return Verdict(Outcome::TooShort, format, offset);

  FileCheckResult result;
  result.format = &format;
  result.bytesRead = offset;
  result.computed = static_cast<std::uint16_t>(sum & 0xFFFF);
  result.stored = static_cast<std::uint16_t>(
      formats::GetBigEndian(storedBytes.data(), formats::kChecksumLength));
  if (result.computed != result.stored) {
    result.outcome = Outcome::BadChecksum;
    result.statusText = ChecksumErrorText(result.computed, result.stored);
    return result;
  }
  result.outcome = Outcome::Valid;
  result.statusText = ValidFileText(path);
  return result;
}

}  // namespace korvel::upgrade
