// A new version of an output file, written beside it under NAME.partial and put in its place
// only when it is whole: a tool stopped or failing half way leaves the old file as it was (or
// no file), never a cut one under the real name.
#pragma once

#include <fstream>
#include <string>

namespace korvel::tools {

class ReplacingFile {
 public:
  explicit ReplacingFile(const std::string& path);
  // Removes the unfinished copy unless Commit succeeded.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // The copy being written; false when it could not be made.
  std::ofstream& stream() { return out_; }
  // Writes out the copy and renames it over the file; false (with errno) when either failed.
  bool Commit();

 private:
  std::string path_;
  std::string partial_;
  std::ofstream out_;
  bool committed_ = false;
};

}  // namespace korvel::tools
