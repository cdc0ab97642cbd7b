#include "machine/CommandLogFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
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

std::string CannotWrite(const std::string& path, const std::string& reason) {
  return "cannot write the command log " + path + ": " + reason;
}

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
  throw std::runtime_error(CannotWrite(path, reason));
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISBLK(mode)) return "a block device";
  return "of an unknown kind";
}

// Whether the file behind `log` (its status, found through `logPath`) is the one `inputPath`
// names now: the same device and inode, which no hard or symbolic link hides.
bool IsSameFile(const struct stat& log, const std::string& logPath, const std::string& inputPath) {
#ifdef _WIN32
  // The Windows C run-time reports no inode numbers; the file system's own identity stands in.
  (void)log;
  std::error_code error;
  return std::filesystem::equivalent(logPath, inputPath, error);
#else
  (void)logPath;
  struct stat input {};
  return ::stat(inputPath.c_str(), &input) == 0 && input.st_dev == log.st_dev &&
         input.st_ino == log.st_ino;
#endif
}

// Why a file with this status cannot take the log of a run that reads `inputs`; empty when it
// can. A pipe could stall the upgrade halfway whenever its reader stops reading; a block device
// would be overwritten; a file the run reads would be lost. Regular files and character devices
// (/dev/null, terminals) are fine.
std::string RefusalOf(const std::string& path, const struct stat& info,
                      const std::vector<InputFile>& inputs) {
  if (!S_ISREG(info.st_mode) && !S_ISCHR(info.st_mode)) {
    return CannotWrite(path, std::string("it is ") + KindOf(info.st_mode) +
                                 ", not a regular file or a character device such as /dev/null");
  }
  // Writing to a device destroys nothing it holds; only a regular file can be an input lost.
  if (!S_ISREG(info.st_mode)) return {};
  for (const InputFile& input : inputs) {
    if (!input.path.empty() && IsSameFile(info, path, input.path)) {
      return "the command log " + path + " is the same file as " + input.what + " " + input.path +
             "; name another file";
    }
  }
  return {};
}

int OpenForRecords(const std::string& path, const std::vector<InputFile>& inputs) {
  // Checked before the open too, so that a FIFO is never opened and a block device never touched.
  if (const std::string refusal = CommandLogFile::Refusal(path, inputs); !refusal.empty()) {
    throw std::runtime_error(refusal);
  }
  // Not O_TRUNC: a file is emptied only once the descriptor shows it may be, since the name may
  // have come to mean another file since the check.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
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
  if (const std::string refusal = RefusalOf(path, info, inputs); !refusal.empty()) {
    ::close(fd);
    throw std::runtime_error(refusal);
  }
  if (S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    Refuse(path, std::strerror(error));
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

}  // namespace

std::string CommandLogFile::Refusal(const std::string& path, const std::vector<InputFile>& inputs) {
  if (path.empty()) return CannotWrite(path, "no file named");
  struct stat info {};
  // A name that does not exist yet is no input; why it cannot be made is for the open to say.
  if (::stat(path.c_str(), &info) != 0) return {};
  return RefusalOf(path, info, inputs);
}

CommandLogFile::CommandLogFile(const std::string& path, const std::vector<InputFile>& inputs)
    : path_(path),
      buffer_(std::make_unique<Buffer>(OpenForRecords(path, inputs))),
      stream_(buffer_.get()) {}

CommandLogFile::~CommandLogFile() = default;

std::string CommandLogFile::Finish() {
  stream_.flush();
  if (buffer_->error() == 0) return {};
  return "cannot write the command log " + PrintableText(path_) + ": " +
         std::strerror(buffer_->error());
}

}  // namespace korvel::machine
