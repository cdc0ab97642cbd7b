// The two upgrade-file formats: one layout (firmware, signature, more firmware, a big-endian
// byte-sum checksum in the last two bytes) in two sizes, each serving one drive model.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvel::formats {

inline constexpr std::size_t kSignatureLength = 19;
inline constexpr std::size_t kRevisionLength = 4;
inline constexpr std::size_t kChecksumLength = 2;

using SignatureText = std::array<char, kSignatureLength>;

// Turns a 19-character literal into the stored signature without its terminating zero.
consteval SignatureText MakeSignatureText(const char (&text)[kSignatureLength + 1]) {
  SignatureText signature{};
  for (std::size_t i = 0; i < kSignatureLength; ++i) signature[i] = text[i];
  return signature;
}

struct UpgradeFileFormat {
  char name;
  int driveType;
  std::uint32_t imageSize;
  std::uint32_t signatureOffset;
  SignatureText signature;

  constexpr std::uint32_t checksumOffset() const {
    return imageSize - static_cast<std::uint32_t>(kChecksumLength);
  }
  // The firmware revision is the text right after the signature.
  constexpr std::uint32_t revisionOffset() const {
    return signatureOffset + static_cast<std::uint32_t>(kSignatureLength);
  }
};

inline constexpr UpgradeFileFormat kFormatA{'A', 18, 0x60000, 0x5FF1C,
                                            MakeSignatureText("VELMORA BRESKAN 000")};
inline constexpr UpgradeFileFormat kFormatB{'B', 16, 0x80000, 0x7FF1C,
                                            MakeSignatureText("VELMORA VEDRIN  000")};

// The format that serves a drive model, or nullptr for a model that takes no upgrade file.
constexpr const UpgradeFileFormat* FormatForDriveType(int driveType) {
  if (driveType == kFormatA.driveType) return &kFormatA;
  if (driveType == kFormatB.driveType) return &kFormatB;
  return nullptr;
}

// The host always sends this many bytes, whichever format the drive takes.
inline constexpr std::uint32_t kTransferBytes = 0x80000;
// A file shorter than kTransferBytes is padded with the erased state of flash.
inline constexpr std::uint8_t kPadByte = 0xFF;

}  // namespace korvel::formats
