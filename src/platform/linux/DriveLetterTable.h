// The drive letters of the Linux machine: which optical drive's block device stands behind each
// letter. Linux has none of its own; the host adapter mapping hands them out and the file system
// resolves "E:\..." through them to the drive's mount point.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace korvel::platform::linux_host {

class DriveLetterTable {
 public:
  void Clear() { blockNodes_.clear(); }
  // `letter` is upper case; `blockNode` may be empty for a drive reached only through sg.
  void Assign(char letter, std::string blockNode) { blockNodes_[letter] = std::move(blockNode); }
  // Nothing when no drive has the letter.
  std::optional<std::string> BlockNodeOf(char letter) const {
    auto it = blockNodes_.find(letter);
    if (it == blockNodes_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::map<char, std::string> blockNodes_;
};

}  // namespace korvel::platform::linux_host
