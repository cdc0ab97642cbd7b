// The drive's firmware as WRITE BUFFER sees it: a 512 KiB download buffer filled in pieces
// (download microcode) and checked against the model's upgrade-file format before it is
// saved (download microcode and save). A refused image leaves the old firmware in place.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "emulator/Sense.h"
#include "formats/UpgradeFileFormat.h"

namespace korvel::emulator {

inline constexpr std::uint32_t kDownloadBufferSize = formats::kTransferBytes;
inline constexpr std::uint8_t kModeDownloadMicrocode = 4;
inline constexpr std::uint8_t kModeDownloadMicrocodeAndSave = 5;

class FirmwareStore {
 public:
  // `format` nullptr: the model has no upgrade format and refuses to save.
  explicit FirmwareStore(const formats::UpgradeFileFormat* format);

  struct Outcome {
    std::optional<SenseCode> refusal;
    // Set when a new image was saved: the revision it carries.
    std::optional<std::array<char, 4>> savedRevision;
  };

  // Checks the CDB fields before any data is taken: nullopt when the command may proceed.
  std::optional<SenseCode> CheckRequest(std::uint8_t mode, std::uint8_t bufferId,
                                        std::uint32_t offset, std::uint32_t length) const;
  // Stores `bytes` at `offset` (already accepted by CheckRequest) and, in the save mode,
  // checks and saves the image.
  Outcome Download(std::uint8_t mode, std::uint32_t offset, std::span<const std::uint8_t> bytes);

  // Empty until the first download, and again after a save: the drive's RAM holds nothing then.
  std::span<const std::uint8_t> downloadBuffer() const { return buffer_; }

 private:
  const formats::UpgradeFileFormat* format_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace korvel::emulator
