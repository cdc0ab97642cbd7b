// The upgrade-file check on any file: the image check on the bytes themselves, and the whole
// check through the file layer with reads cut short or failing where the input says. The first
// bytes steer; the rest is the file. An input may ask for the file to be grown to the format's
// full image size (blank bytes, then its own last two bytes as the stored checksum), so that the
// checksum comparison is reached without megabyte inputs.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/ImageCheck.h"
#include "platform/testing/NullPlatform.h"
#include "upgrade/UpgradeFileCheck.h"

namespace {

using namespace korvel;

constexpr platform::HANDLE kFile = 0x40;

// One file, served in reads of at most `step` bytes, failing on read number `failingRead`.
class FuzzedFile : public platform::testing::NullFileSystem {
 public:
  FuzzedFile(const std::vector<std::uint8_t>& bytes, std::size_t step, int failingRead)
      : bytes_(bytes), step_(step), failingRead_(failingRead) {}

  platform::HANDLE CreateFileA(const char*, platform::DWORD, platform::DWORD, platform::DWORD,
                               platform::DWORD) override {
    position_ = 0;
    return kFile;
  }
  platform::DWORD SetFilePointer(platform::HANDLE, platform::LONG distance,
                                 platform::DWORD method) override {
    const std::int64_t base = method == platform::FILE_BEGIN ? 0
                              : method == platform::FILE_END
                                  ? static_cast<std::int64_t>(bytes_.size())
                                  : static_cast<std::int64_t>(position_);
    const std::int64_t target = base + distance;
    if (target < 0) return platform::INVALID_SET_FILE_POINTER;
    position_ = static_cast<std::size_t>(target);
    return static_cast<platform::DWORD>(position_);
  }
  platform::BOOL ReadFile(platform::HANDLE, void* buffer, platform::DWORD size,
                          platform::DWORD* bytesRead) override {
    *bytesRead = 0;
    if (++reads_ == failingRead_) return 0;
    if (position_ >= bytes_.size()) return 1;
    const std::size_t n = std::min({std::size_t{size}, step_, bytes_.size() - position_});
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    *bytesRead = static_cast<platform::DWORD>(n);
    return 1;
  }
  platform::BOOL CloseHandle(platform::HANDLE) override { return 1; }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t step_;
  int failingRead_;
  std::size_t position_ = 0;
  int reads_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const formats::UpgradeFileFormat& format =
      input.ConsumeBool() ? formats::kFormatA : formats::kFormatB;
  const bool fullSize = input.ConsumeBool();
  // Reads of 512 bytes up to the whole buffer: a full image in 1-byte reads would be too slow.
  const std::size_t step = std::size_t{1} << input.ConsumeIntegralInRange<int>(9, 16);
  const int failingRead = input.ConsumeIntegralInRange<int>(0, 40);
  std::vector<std::uint8_t> file = input.ConsumeRemainingBytes<std::uint8_t>();

  if (fullSize && file.size() < format.imageSize) {
    std::uint8_t stored[2] = {0, 0};
    for (std::size_t i = 0; i < 2 && !file.empty(); ++i) {
      stored[i] = file.back();
      file.pop_back();
    }
    file.resize(format.imageSize, formats::kPadByte);
    file[format.imageSize - 2] = stored[1];
    file[format.imageSize - 1] = stored[0];
  }

  const formats::ImageVerdict verdict = formats::CheckImage(file, format);
  formats::RevisionOf(file, format);
  formats::VerdictName(verdict.kind);

  FuzzedFile files(file, step, failingRead);
  static upgrade::TransferBuffer buffer;
  const upgrade::FileCheckResult result =
      upgrade::CheckUpgradeFileAt(files, "UPGRADE.BIN", format, buffer);
  // A file read without fault gets the image check's verdict.
  if (failingRead == 0 &&
      (result.valid() != (verdict.kind == formats::ImageVerdict::Kind::Valid))) {
    __builtin_trap();
  }
  return 0;
}
