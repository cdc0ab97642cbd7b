#include "platform/linux/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/DrivePath.h"
#include "platform/linux/MountTable.h"
#include "platform/linux/MountedPath.h"

namespace korvel::platform::linux_host {

namespace {

constexpr BOOL kTrue = 1;

DWORD WindowsErrorOf(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    default:
      return ERROR_READ_FAULT;
  }
}

}  // namespace

PosixFileSystem::~PosixFileSystem() {
  for (auto& [handle, fd] : descriptors_) ::close(fd);
}

HANDLE PosixFileSystem::CreateFileA(const char* path, DWORD access, DWORD shareMode, DWORD creation,
                                    DWORD) {
  if (path == nullptr || creation != OPEN_EXISTING) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return INVALID_HANDLE_VALUE;
  }
  const int flags = (access & GENERIC_WRITE) != 0 ? O_RDWR : O_RDONLY;
  // O_NONBLOCK: the open of a FIFO must not wait for a writer; it is refused below.
  int fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    lastError_ = WindowsErrorOf(errno);
    return INVALID_HANDLE_VALUE;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    lastError_ = ERROR_ACCESS_DENIED;
    return INVALID_HANDLE_VALUE;
  }
  const int lock = shareMode == 0 ? LOCK_EX : LOCK_SH;
  if (::flock(fd, lock | LOCK_NB) != 0) {
    // Whatever keeps the lock from being taken, the file is not ours to read alone.
    ::close(fd);
    lastError_ = ERROR_SHARING_VIOLATION;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = nextHandle_++;
  descriptors_[handle] = fd;
  lastError_ = ERROR_SUCCESS;
  return handle;
}

int PosixFileSystem::DescriptorOf(HANDLE file) {
  auto found = descriptors_.find(file);
  if (found == descriptors_.end()) {
    lastError_ = ERROR_INVALID_HANDLE;
    return -1;
  }
  return found->second;
}

DWORD PosixFileSystem::SetFilePointer(HANDLE file, LONG distance, DWORD method) {
  int fd = DescriptorOf(file);
  if (fd < 0) return INVALID_SET_FILE_POINTER;
  int whence = SEEK_SET;
  if (method == FILE_CURRENT) {
    whence = SEEK_CUR;
  } else if (method == FILE_END) {
    whence = SEEK_END;
  } else if (method != FILE_BEGIN) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return INVALID_SET_FILE_POINTER;
  }
  off_t position = ::lseek(fd, distance, whence);
  if (position < 0 || position >= static_cast<off_t>(INVALID_SET_FILE_POINTER)) {
    lastError_ = position < 0 ? ERROR_INVALID_PARAMETER : ERROR_INVALID_FUNCTION;
    return INVALID_SET_FILE_POINTER;
  }
  return static_cast<DWORD>(position);
}

BOOL PosixFileSystem::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead) {
  if (bytesRead != nullptr) *bytesRead = 0;
  int fd = DescriptorOf(file);
  if (fd < 0) return 0;
  DWORD total = 0;
  auto* out = static_cast<char*>(buffer);
  while (total < size) {
    ssize_t got = ::read(fd, out + total, size - total);
    if (got < 0) {
      if (errno == EINTR) continue;
      lastError_ = ERROR_READ_FAULT;
      if (bytesRead != nullptr) *bytesRead = total;
      return 0;
    }
    if (got == 0) break;
    total += static_cast<DWORD>(got);
  }
  if (bytesRead != nullptr) *bytesRead = total;
  return kTrue;
}

BOOL PosixFileSystem::CloseHandle(HANDLE file) {
  int fd = DescriptorOf(file);
  if (fd < 0) return 0;
  ::close(fd);  // also releases the lock
  descriptors_.erase(file);
  return kTrue;
}

DWORD PosixFileSystem::GetLastError() {
  return lastError_;
}

DWORD PosixFileSystem::GetFileAttributesA(const char* path) {
  struct stat info {};
  if (path == nullptr || *path == '\0') {
    lastError_ = ERROR_PATH_NOT_FOUND;
    return INVALID_FILE_ATTRIBUTES;
  }
  bool tooDeep = false;
  const std::optional<DrivePath> onDrive = ParseDrivePath(path, &tooDeep);
  if (tooDeep) {
    lastError_ = ERROR_PATH_NOT_FOUND;
    return INVALID_FILE_ATTRIBUTES;
  }
  if (onDrive) return DriveAttributes(*onDrive);
  if (::stat(path, &info) != 0) {
    lastError_ = WindowsErrorOf(errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

DWORD PosixFileSystem::DriveAttributes(const DrivePath& path) {
  const std::optional<std::string> blockNode =
      letters_ == nullptr ? std::nullopt : letters_->BlockNodeOf(path.letter);
  if (!blockNode) {
    lastError_ = ERROR_PATH_NOT_FOUND;
    return INVALID_FILE_ATTRIBUTES;
  }
  // A drive without a disc, or with one the system has not mounted, shows no files.
  const std::string mountPoint = blockNode->empty() ? "" : MountPointOf(*blockNode, mountsFile_);
  if (mountPoint.empty()) {
    lastError_ = ERROR_NOT_READY;
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD error = ERROR_SUCCESS;
  const DWORD attributes = AttributesBelow(mountPoint, path.components, error);
  if (attributes == INVALID_FILE_ATTRIBUTES) lastError_ = error;
  return attributes;
}

}  // namespace korvel::platform::linux_host
