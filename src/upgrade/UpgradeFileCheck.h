// The check of an upgrade file against one format: the signature text at its place, then the
// 16-bit byte sum of the image against the big-endian checksum in its last two bytes. The file
// is read once, front to back, in pieces of the TransferBuffer's size; nothing past the image
// is read.
#pragma once

#include <cstdint>
#include <string>

#include "formats/UpgradeFileFormat.h"
#include "platform/FileSystem.h"
#include "upgrade/TransferBuffer.h"

namespace korvel::upgrade {

struct FileCheckResult {
  enum class Outcome {
    Valid,
    CannotOpen,    // missing, held by another program, or no path at all
    BadSignature,  // a file too short to hold the signature included
    TooShort,      // the signature is there but the image ends before its size
    ReadError,
    BadChecksum,
  };
  Outcome outcome = Outcome::CannotOpen;
  // The format the file was checked against.
  const formats::UpgradeFileFormat* format = nullptr;
  // CannotOpen: why the file system refused the open (a system error code).
  platform::DWORD openError = 0;
  // How many bytes of the image the file gave before it ended (TooShort, BadSignature).
  std::uint32_t bytesRead = 0;
  std::uint16_t computed = 0;
  std::uint16_t stored = 0;
  // What the status line shows for this outcome.
  std::string statusText;

  bool valid() const { return outcome == Outcome::Valid; }
};

FileCheckResult CheckUpgradeFileAt(platform::FileSystem& files, const std::string& path,
                                   const formats::UpgradeFileFormat& format,
                                   TransferBuffer& buffer);

}  // namespace korvel::upgrade
