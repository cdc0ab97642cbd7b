#include "emulator/images/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

#include "emulator/ConfigError.h"

namespace korvel::emulator {
namespace {

[[noreturn]] void Refuse(const std::filesystem::path& path, const std::string& why) {
  throw ConfigError("cannot use image file \"" + path.string() + "\": " + why);
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a directory";
  if (S_ISFIFO(mode)) return "it is a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
  if (S_ISSOCK(mode)) return "it is a socket";
  return "it is not a regular file";
}

}  // namespace

ImageFile::ImageFile(const std::filesystem::path& path) : path_(path) {
  // The kind is checked before opening, so that opening a FIFO cannot wait for a writer and a
  // device is never touched; the descriptor is checked again, as the name may have changed
  // in between.
  struct stat info {};
  if (::stat(path.string().c_str(), &info) != 0) Refuse(path, std::strerror(errno));
  if (!S_ISREG(info.st_mode)) Refuse(path, KindOf(info.st_mode));
  fd_ = ::open(path.string().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) Refuse(path, std::strerror(errno));
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    const std::string why = S_ISREG(info.st_mode) ? std::strerror(errno) : KindOf(info.st_mode);
    ::close(fd_);
    Refuse(path, why);
  }
  size_ = static_cast<std::uint64_t>(info.st_size);
}

ImageFile::~ImageFile() {
  ::close(fd_);
}

std::size_t ImageFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  constexpr auto kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
  // pread keeps no file position, so threads reading different tracks do not disturb each other.
  while (done < out.size() && offset <= kMaxOffset - done) {
    const ssize_t got =
        ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the end of the file, or a read error: the rest reads as zeros
    done += static_cast<std::size_t>(got);
  }
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(done), out.end(), std::uint8_t{0});
  return done;
}

}  // namespace korvel::emulator
