#include "upgrade/UpgradeFileReader.h"

namespace korvel::upgrade {

UpgradeFileReader::UpgradeFileReader(platform::FileSystem& files, const std::string& path)
    : files_(files) {
  if (path.empty()) {
    openError_ = platform::ERROR_FILE_NOT_FOUND;
    return;
  }
  handle_ = files_.CreateFileA(path.c_str(), platform::GENERIC_READ, 0, platform::OPEN_EXISTING,
                               platform::FILE_ATTRIBUTE_NORMAL);
  if (handle_ == platform::INVALID_HANDLE_VALUE) {
    openError_ = files_.GetLastError();
    // A failed open must still read as a failure to the caller.
    if (openError_ == 0) openError_ = platform::ERROR_INVALID_HANDLE;
  }
}

UpgradeFileReader::~UpgradeFileReader() {
  if (IsOpen()) files_.CloseHandle(handle_);
}

bool UpgradeFileReader::Seek(std::uint32_t offset) {
  return files_.SetFilePointer(handle_, static_cast<platform::LONG>(offset),
                               platform::FILE_BEGIN) == offset;
}

UpgradeFileReader::ReadResult UpgradeFileReader::ReadExactly(std::span<std::uint8_t> out,
                                                             std::uint32_t& delivered) {
  delivered = 0;
  while (delivered < out.size()) {
    platform::DWORD got = 0;
    const auto wanted = static_cast<platform::DWORD>(out.size() - delivered);
    if (!files_.ReadFile(handle_, out.data() + delivered, wanted, &got)) return ReadResult::Error;
    if (got == 0) return ReadResult::Short;
    // More than asked would run past `out`: the file system is not to be trusted then.
    if (got > wanted) return ReadResult::Error;
    delivered += got;
  }
  return ReadResult::Full;
}

}  // namespace korvel::upgrade
