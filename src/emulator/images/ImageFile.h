// A disc image file of this machine, opened once and read at byte offsets. Tracks keep a shared
// pointer to it, so that an image of hundreds of megabytes is never held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace korvel::emulator {

class ImageFile {
 public:
  // Opens a regular file for reading. Anything else (a directory, a FIFO, a device) is refused
  // with a ConfigError before it can block or be read from.
  explicit ImageFile(const std::filesystem::path& path);
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The size when the file was opened.
  std::uint64_t size() const { return size_; }

  // Fills `out` with the bytes at `offset`. Bytes past the end of the file (or that the file no
  // longer has, when it shrank) read as zeros; the result is how many bytes came from the file.
  // Safe to call from several threads at once.
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace korvel::emulator
