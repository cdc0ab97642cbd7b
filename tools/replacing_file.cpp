#include "replacing_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace korvel::tools {

ReplacingFile::ReplacingFile(const std::string& path) : path_(path), partial_(path + ".partial") {
  // A leftover of a stopped run is replaced; anything else by that name is not touched (opening
  // a FIFO to write would wait for a reader).
  std::error_code error;
  const auto status = std::filesystem::symlink_status(partial_, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    errno = EEXIST;
    out_.setstate(std::ios::failbit);
    return;
  }
  out_.open(partial_, std::ios::binary | std::ios::trunc);
}

ReplacingFile::~ReplacingFile() {
  if (committed_) return;
  if (out_.is_open()) out_.close();
  std::error_code ignored;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(partial_, ignored))) {
    std::filesystem::remove(partial_, ignored);
  }
}

bool ReplacingFile::Commit() {
  // errno still tells why the open or a write failed.
  if (!out_) return false;
  out_.close();
  if (!out_) return false;
  std::error_code error;
  std::filesystem::rename(partial_, path_, error);
  if (error) {
    errno = error.value();
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace korvel::tools
