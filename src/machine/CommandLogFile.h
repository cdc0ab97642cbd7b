// The file the command log goes to. It is opened without blocking (a FIFO with no reader would
// otherwise hold the program in open for ever) and only where writing records makes sense: a
// regular file or a character device such as /dev/null or a terminal, and never a file the run
// reads. Every record is written through at once, and the first failed write is kept so that the
// program can say so instead of losing the log without a word.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "machine/InputFile.h"

namespace korvel::machine {

class CommandLogFile {
 public:
  // Throws std::runtime_error naming the file and the reason when it cannot be used, among them
  // being one of `inputs` under any name (a hard or symbolic link): nothing is created or
  // emptied then. An existing file that will do is emptied only after these checks.
  explicit CommandLogFile(const std::string& path, const std::vector<InputFile>& inputs = {});
  // The reason the constructor would give as things stand, found without opening or creating
  // anything, for a program that has more to check before it may replace a file; empty when
  // `path` would do.
  static std::string Refusal(const std::string& path, const std::vector<InputFile>& inputs);
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
