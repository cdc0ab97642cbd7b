#include "upgrade/UpgradeFileCheck.h"

#include <algorithm>
#include <array>
#include <span>

#include "formats/ImageCheck.h"
#include "platform/BigEndian.h"
#include "upgrade/StatusTexts.h"
#include "upgrade/UpgradeFileReader.h"

namespace korvel::upgrade {
namespace {

using Outcome = FileCheckResult::Outcome;

FileCheckResult Verdict(Outcome outcome) {
  FileCheckResult result;
  result.outcome = outcome;
  result.statusText = outcome == Outcome::ReadError ? kFileReadErrorText : kNotValidFileText;
  return result;
}

// Maps a read that did not fill its buffer onto the verdict: the end of the file means the
// image is not all there, anything else is a read error.
Outcome IncompleteRead(UpgradeFileReader::ReadResult read, Outcome whenShort) {
  return read == UpgradeFileReader::ReadResult::Error ? Outcome::ReadError : whenShort;
}

}  // namespace

FileCheckResult CheckUpgradeFileAt(platform::FileSystem& files, const std::string& path,
                                   const formats::UpgradeFileFormat& format,
                                   TransferBuffer& buffer) {
  UpgradeFileReader file(files, path);
  if (!file.IsOpen()) return Verdict(Outcome::CannotOpen);

  std::uint32_t delivered = 0;
  std::array<std::uint8_t, formats::kSignatureLength> signature{};
  if (!file.Seek(format.signatureOffset)) return Verdict(Outcome::BadSignature);
  const auto signatureRead = file.ReadExactly(signature, delivered);
  if (signatureRead != UpgradeFileReader::ReadResult::Full) {
    return Verdict(IncompleteRead(signatureRead, Outcome::BadSignature));
  }
  if (!std::equal(signature.begin(), signature.end(), format.signature.begin(),
                  [](std::uint8_t byte, char expected) {
                    return byte == static_cast<std::uint8_t>(expected);
                  })) {
    return Verdict(Outcome::BadSignature);
  }

  if (!file.Seek(0)) return Verdict(Outcome::ReadError);
  std::uint32_t sum = 0;
  for (std::uint32_t remaining = format.checksumOffset(); remaining > 0;) {
    const std::uint32_t piece =
        std::min<std::uint32_t>(remaining, static_cast<std::uint32_t>(buffer.size()));
    const std::span<std::uint8_t> bytes(buffer.data(), piece);
    // Every piece must be whole: a sum over bytes left from an earlier read would pass or fail
    // by chance.
    const auto read = file.ReadExactly(bytes, delivered);
    if (read != UpgradeFileReader::ReadResult::Full) {
      return Verdict(IncompleteRead(read, Outcome::TooShort));
    }
    sum += formats::ByteSum(bytes);
    remaining -= piece;
  }

  std::array<std::uint8_t, formats::kChecksumLength> storedBytes{};
  const auto checksumRead = file.ReadExactly(storedBytes, delivered);
  if (checksumRead != UpgradeFileReader::ReadResult::Full) {
    return Verdict(IncompleteRead(checksumRead, Outcome::TooShort));
  }

  FileCheckResult result;
  result.computed = static_cast<std::uint16_t>(sum & 0xFFFF);
  result.stored = static_cast<std::uint16_t>(
      platform::GetBigEndian(storedBytes.data(), formats::kChecksumLength));
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
