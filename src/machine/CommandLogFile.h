// The file the command log goes to. It is opened without blocking (a FIFO with no reader would
// otherwise hold the program in open for ever) and only where writing records makes sense: a
// regular file or a character device such as /dev/null or a terminal. Every record is written
// through at once, and the first failed write is kept so that the program can say so instead of
// losing the log without a word.
#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace korvel::machine {

class CommandLogFile {
 public:
  // Throws std::runtime_error naming the file and the reason when it cannot be used.
  explicit CommandLogFile(const std::string& path);
  ~CommandLogFile();
  CommandLogFile(const CommandLogFile&) = delete;
  CommandLogFile& operator=(const CommandLogFile&) = delete;

  std::ostream& stream() { return stream_; }
  // Writes out what is still buffered; then the first write failure, naming the file, or
  // empty when every record reached the file.
  std::string Finish();

 private:
  class Buffer;
  std::string path_;
  std::unique_ptr<Buffer> buffer_;
  std::ostream stream_;
};

}  // namespace korvel::machine
