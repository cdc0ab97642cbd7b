// The download buffer behind WRITE BUFFER: made on the first download, gone after a save.
#include "emulator/drive/FirmwareStore.h"

#include <gtest/gtest.h>

#include <vector>

#include "formats/SampleImage.h"

namespace korvel::emulator {
namespace {

using formats::kFormatB;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kChunk = 0x2000;

TEST(FirmwareStoreTest, HoldsNoBufferUntilTheFirstDownload) {
  FirmwareStore store(&kFormatB);
  EXPECT_TRUE(store.downloadBuffer().empty());
  // The limits of a request do not depend on whether the buffer exists yet.
  const struct {
    std::uint8_t mode;
    std::uint32_t offset;
    std::uint32_t length;
    bool accepted;
  } requests[] = {
      {kModeDownloadMicrocode, 0, kChunk, true},
      {kModeDownloadMicrocode, kDownloadBufferSize - kChunk, kChunk, true},
      {kModeDownloadMicrocode, kDownloadBufferSize - kChunk, kChunk + 1, false},
      {kModeDownloadMicrocode, 0xFFFFFFFFu, 2, false},
      {kModeDownloadMicrocodeAndSave, kDownloadBufferSize - kChunk, kChunk, true},
  };
  for (const auto& request : requests) {
    EXPECT_EQ(!store.CheckRequest(request.mode, 0, request.offset, request.length).has_value(),
              request.accepted)
        << "offset " << request.offset << " length " << request.length;
  }
  EXPECT_TRUE(store.downloadBuffer().empty()) << "a check alone made the buffer";
}

// Bytes that no download wrote read as erased flash, as they did when the buffer was erased at
// power-on.
TEST(FirmwareStoreTest, TheFirstDownloadMakesAnErasedBufferAroundItsBytes) {
  FirmwareStore store(&kFormatB);
  const Bytes chunk(kChunk, 0x11);
  EXPECT_FALSE(store.Download(kModeDownloadMicrocode, kChunk, chunk).refusal);
  const auto buffer = store.downloadBuffer();
  ASSERT_EQ(buffer.size(), kDownloadBufferSize);
  for (std::size_t at = 0; at < buffer.size(); ++at) {
    const std::uint8_t expected = at >= kChunk && at < 2 * kChunk ? 0x11 : formats::kPadByte;
    ASSERT_EQ(buffer[at], expected) << "offset " << at;
  }
}

TEST(FirmwareStoreTest, ASavedImageLeavesNothingForTheNextDownload) {
  FirmwareStore store(&kFormatB);
  const Bytes image = formats::MakeSampleImage(kFormatB, "2.05", 4);
  for (std::uint32_t offset = 0; offset < kDownloadBufferSize; offset += kChunk) {
    const bool last = offset + kChunk == kDownloadBufferSize;
    const FirmwareStore::Outcome outcome =
        store.Download(last ? kModeDownloadMicrocodeAndSave : kModeDownloadMicrocode, offset,
                       std::span(image).subspan(offset, kChunk));
    ASSERT_FALSE(outcome.refusal) << "offset " << offset;
    if (last) {
      ASSERT_TRUE(outcome.savedRevision);
      EXPECT_EQ(std::string(outcome.savedRevision->data(), 4), "2.05");
    }
  }
  EXPECT_TRUE(store.downloadBuffer().empty());

  // Only the last chunk again: the rest of the old image is gone, so the save is refused.
  const FirmwareStore::Outcome again =
      store.Download(kModeDownloadMicrocodeAndSave, kDownloadBufferSize - kChunk,
                     std::span(image).subspan(kDownloadBufferSize - kChunk, kChunk));
  EXPECT_EQ(again.refusal, sense::kInvalidFieldInParameterList);
  ASSERT_EQ(store.downloadBuffer().size(), kDownloadBufferSize);
  EXPECT_EQ(store.downloadBuffer()[0], formats::kPadByte);
}

}  // namespace
}  // namespace korvel::emulator
