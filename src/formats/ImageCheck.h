// The verdict on a firmware image against one upgrade-file format: the check that the host
// runs on a file and the emulated drive runs on its download buffer before saving.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "formats/ByteSum.h"
#include "formats/UpgradeFileFormat.h"

namespace korvel::formats {

struct ImageVerdict {
  enum class Kind { Valid, BadSignature, BadChecksum, TooShort };
  Kind kind = Kind::TooShort;
  // The byte sum of offsets 0..imageSize-3 modulo 65536 and the big-endian value stored at
  // imageSize-2; both 0 unless the image held a signature and was long enough to sum.
  std::uint16_t computed = 0;
  std::uint16_t stored = 0;
};

// Order of the checks: the signature first (an image too short to hold it has a bad
// signature), then the length (TooShort when the signature is there but the image ends
// before imageSize), then the checksum. Bytes beyond imageSize are ignored.
ImageVerdict CheckImage(std::span<const std::uint8_t> image, const UpgradeFileFormat& format);

// The 4 bytes right after the signature; positions beyond the end of `image` read as blanks.
std::array<char, kRevisionLength> RevisionOf(std::span<const std::uint8_t> image,
                                             const UpgradeFileFormat& format);

const char* VerdictName(ImageVerdict::Kind kind);

}  // namespace korvel::formats
