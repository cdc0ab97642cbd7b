// Builds valid firmware images of either format for tests and demos, and breaks them in the
// ways that a damaged or wrong upgrade file is broken.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "formats/UpgradeFileFormat.h"

namespace korvel::formats {

// A valid image of exactly format.imageSize bytes: pseudo-random firmware bytes from `seed`,
// the signature, `revision` right after it (1 to 4 characters, blank-padded; anything longer
// throws std::invalid_argument) and the checksum.
std::vector<std::uint8_t> MakeSampleImage(const UpgradeFileFormat& format,
                                          std::string_view revision, std::uint32_t seed);

// Stores the byte sum of the first imageSize-2 bytes, big-endian, in the last two bytes.
void StoreChecksum(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format);

// Lower-cases the letters of the signature and re-stores the checksum, so that the case of
// the signature is the only fault.
void BreakSignatureCase(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format);

// Stores the checksum low byte first. When both bytes of the sum are equal that order would go
// unnoticed, so a firmware byte is changed first until they differ.
void StoreChecksumLowByteFirst(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format);

// Stores the right checksum plus one (modulo 65536).
void StoreChecksumOffByOne(std::vector<std::uint8_t>& image, const UpgradeFileFormat& format);

// Cuts the image to `size` bytes (no-op when it is not longer).
void TruncateImage(std::vector<std::uint8_t>& image, std::size_t size);

// Appends `count` pseudo-random bytes after the image, as an upgrade file may carry.
void AppendTrailingBytes(std::vector<std::uint8_t>& image, std::size_t count, std::uint32_t seed);

// The bytes the host transfers for `image`: its first kTransferBytes bytes, padded with
// kPadByte when it is shorter.
std::vector<std::uint8_t> TransferBytesOf(const std::vector<std::uint8_t>& image);

}  // namespace korvel::formats
