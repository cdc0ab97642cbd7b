// An upgrade file held open for reading without sharing, so that no other program changes it
// while it is checked or sent; closed when the reader goes. Nothing here can write to it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/FileSystem.h"

namespace korvel::upgrade {

class UpgradeFileReader {
 public:
  // Opens `path` (GENERIC_READ, no sharing, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL). An empty path
  // is refused here without asking the file system, as ERROR_FILE_NOT_FOUND.
  UpgradeFileReader(platform::FileSystem& files, const std::string& path);
  ~UpgradeFileReader();
  UpgradeFileReader(const UpgradeFileReader&) = delete;
  UpgradeFileReader& operator=(const UpgradeFileReader&) = delete;

  bool IsOpen() const { return handle_ != platform::INVALID_HANDLE_VALUE; }
  // Why the open failed (a system error code); 0 when it is open.
  platform::DWORD OpenError() const { return openError_; }

  // Positions at `offset` from the start of the file.
  bool Seek(std::uint32_t offset);

  enum class ReadResult { Full, Short, Error };
  // Fills all of `out`, reading again after partial deliveries until the end of the file.
  // Short: the file ended first (`delivered` says how many bytes came); Error: the read failed.
  ReadResult ReadExactly(std::span<std::uint8_t> out, std::uint32_t& delivered);

 private:
  platform::FileSystem& files_;
  platform::HANDLE handle_ = platform::INVALID_HANDLE_VALUE;
  platform::DWORD openError_ = 0;
};

}  // namespace korvel::upgrade
