#include "emulator/drive/FirmwareStore.h"

#include <algorithm>

#include "formats/ImageCheck.h"

namespace korvel::emulator {

FirmwareStore::FirmwareStore(const formats::UpgradeFileFormat* format) : format_(format) {}

std::optional<SenseCode> FirmwareStore::CheckRequest(std::uint8_t mode, std::uint8_t bufferId,
                                                     std::uint32_t offset,
                                                     std::uint32_t length) const {
  if (mode != kModeDownloadMicrocode && mode != kModeDownloadMicrocodeAndSave) {
    return sense::kInvalidFieldInCdb;
  }
  if (mode == kModeDownloadMicrocodeAndSave && format_ == nullptr) return sense::kInvalidFieldInCdb;
  if (bufferId != 0) return sense::kInvalidFieldInCdb;
  if (static_cast<std::uint64_t>(offset) + length > kDownloadBufferSize) {
    return sense::kInvalidFieldInCdb;
  }
  return std::nullopt;
}

FirmwareStore::Outcome FirmwareStore::Download(std::uint8_t mode, std::uint32_t offset,
                                               std::span<const std::uint8_t> bytes) {
  // Most emulated drives never see a download: the buffer is made, erased, on the first one,
  // so that a bus full of drives costs no 512 KiB each.
  if (buffer_.empty()) buffer_.assign(kDownloadBufferSize, formats::kPadByte);
  std::copy(bytes.begin(), bytes.end(), buffer_.begin() + offset);
  if (mode != kModeDownloadMicrocodeAndSave) return {};
  const auto image = std::span<const std::uint8_t>(buffer_).first(format_->imageSize);
  if (formats::CheckImage(image, *format_).kind != formats::ImageVerdict::Kind::Valid) {
    return {sense::kInvalidFieldInParameterList, std::nullopt};
  }
  Outcome outcome{std::nullopt, formats::RevisionOf(image, *format_)};
  // The restart clears the drive's RAM: the next download starts from an erased buffer, made
  // again when it begins.
  buffer_ = {};
  return outcome;
}

}  // namespace korvel::emulator
