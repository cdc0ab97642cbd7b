#include "machine/CommandLogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <streambuf>

#include "machine/PrintableText.h"

namespace korvel::machine {

// A stream buffer over a file descriptor that remembers the first errno of a failed write.
class CommandLogFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : fd_(fd) { setp(bytes_.data(), bytes_.data() + bytes_.size()); }
  ~Buffer() override {
    sync();
    ::close(fd_);
  }
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }

  int sync() override {
    const char* next = pbase();
    const char* end = pptr();
    setp(bytes_.data(), bytes_.data() + bytes_.size());
    if (error_ != 0) return -1;
    while (next < end) {
      const ssize_t written = ::write(fd_, next, static_cast<std::size_t>(end - next));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) {
        error_ = written < 0 ? errno : EIO;
        return -1;
      }
      next += written;
    }
    return 0;
  }

 private:
  int fd_;
  int error_ = 0;
  std::array<char, 4096> bytes_{};
};

namespace {

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
  throw std::runtime_error("cannot write the command log " + path + ": " + reason);
}

int OpenForRecords(const std::string& path) {
  if (path.empty()) Refuse(path, "no file named");
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    // A FIFO nobody reads answers ENXIO to a non-blocking open for writing.
    Refuse(path, errno == ENXIO ? "not a file (a FIFO or socket without a reader)"
                                : std::strerror(errno));
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    Refuse(path, std::strerror(error));
  }
  // A pipe could stall the upgrade halfway whenever its reader stops reading; a block device
  // would be overwritten. Regular files and character devices (/dev/null, terminals) are fine.
  if (!S_ISREG(info.st_mode) && !S_ISCHR(info.st_mode)) {
    ::close(fd);
    Refuse(path, "neither a regular file nor a character device");
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

}  // namespace

CommandLogFile::CommandLogFile(const std::string& path)
    : path_(path),
      buffer_(std::make_unique<Buffer>(OpenForRecords(path))),
      stream_(buffer_.get()) {}

CommandLogFile::~CommandLogFile() = default;

std::string CommandLogFile::Finish() {
  stream_.flush();
  if (buffer_->error() == 0) return {};
  return "cannot write the command log " + PrintableText(path_) + ": " +
         std::strerror(buffer_->error());
}

}  // namespace korvel::machine
