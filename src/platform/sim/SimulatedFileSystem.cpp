#include "platform/sim/SimulatedFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/DrivePath.h"

namespace korvel::platform::sim {
namespace {

std::string IdentityOf(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
  return (error ? path : canonical).string();
}

DWORD ErrorOfOpen(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace

SimulatedFileSystem::SimulatedFileSystem(const std::vector<std::filesystem::path>& heldByOthers,
                                         HandleSource& handles, LastError& lastError,
                                         EmulatedBus& bus)
    : handles_(handles), lastError_(lastError), discs_(bus) {
  for (const auto& path : heldByOthers) held_.push_back(IdentityOf(path));
}

SimulatedFileSystem::~SimulatedFileSystem() {
  for (const auto& [handle, file] : files_) ::close(file.descriptor);
}

bool SimulatedFileSystem::SharingAllows(const std::string& identity, DWORD shareMode) const {
  for (const std::string& held : held_) {
    if (held == identity) return false;  // the other program shares nothing
  }
  for (const auto& [handle, file] : files_) {
    if (file.identity != identity) continue;
    // Every open here reads, so both sides must let the other one read.
    if ((file.shareMode & FILE_SHARE_READ) == 0 || (shareMode & FILE_SHARE_READ) == 0) {
      return false;
    }
  }
  return true;
}

HANDLE SimulatedFileSystem::CreateFileA(const char* path, DWORD access, DWORD shareMode,
                                        DWORD creation, DWORD) {
  auto fail = [this](DWORD error) {
    lastError_.Set(error);
    return INVALID_HANDLE_VALUE;
  };
  if (path == nullptr || *path == '\0') return fail(ERROR_PATH_NOT_FOUND);
  // The upgrade file is only ever read; anything that could write or create is refused.
  if ((access & ~GENERIC_READ) != 0 || creation != OPEN_EXISTING) {
    return fail(ERROR_ACCESS_DENIED);
  }
  // Without O_NONBLOCK the open of a FIFO waits for a writer that may never come; anything but a
  // regular file is then refused like a folder: a device may never end (/dev/zero) or hold
  // nothing (/dev/null). Reads of a regular file do not heed the flag.
  const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (descriptor < 0) return fail(ErrorOfOpen(errno));
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return fail(ERROR_ACCESS_DENIED);
  }
  const std::string identity = IdentityOf(path);
  std::lock_guard lock(mutex_);
  if (!SharingAllows(identity, shareMode)) {
    ::close(descriptor);
    return fail(ERROR_SHARING_VIOLATION);
  }
  HANDLE handle = handles_.Next();
  files_[handle] = OpenFile{descriptor, identity, shareMode};
  return handle;
}

std::optional<int> SimulatedFileSystem::DescriptorOf(HANDLE file) {
  std::lock_guard lock(mutex_);
  auto it = files_.find(file);
  if (it == files_.end()) return std::nullopt;
  return it->second.descriptor;
}

DWORD SimulatedFileSystem::SetFilePointer(HANDLE file, LONG distance, DWORD method) {
  const std::optional<int> descriptor = DescriptorOf(file);
  if (!descriptor) {
    lastError_.Set(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  int whence = SEEK_SET;
  switch (method) {
    case FILE_BEGIN:
      whence = SEEK_SET;
      break;
    case FILE_CURRENT:
      whence = SEEK_CUR;
      break;
    case FILE_END:
      whence = SEEK_END;
      break;
    default:
      lastError_.Set(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
  }
  // A move before the start fails and leaves the position; lseek refuses it the same way.
  const off_t position = ::lseek(*descriptor, distance, whence);
  if (position < 0 || position >= off_t{INVALID_SET_FILE_POINTER}) {
    lastError_.Set(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  lastError_.Set(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

BOOL SimulatedFileSystem::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead) {
  const std::optional<int> descriptor = DescriptorOf(file);
  if (!descriptor) {
    lastError_.Set(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (bytesRead == nullptr || (buffer == nullptr && size > 0)) {
    lastError_.Set(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *bytesRead = 0;
  auto* out = static_cast<unsigned char*>(buffer);
  while (*bytesRead < size) {
    const ssize_t got = ::read(*descriptor, out + *bytesRead, size - *bytesRead);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      lastError_.Set(ERROR_READ_FAULT);
      return FALSE;
    }
    *bytesRead += static_cast<DWORD>(got);
  }
  return TRUE;
}

DWORD SimulatedFileSystem::GetFileAttributesA(const char* path) {
  struct stat info {};
  if (path == nullptr || *path == '\0') {
    lastError_.Set(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  bool tooDeep = false;
  const std::optional<DrivePath> onDrive = ParseDrivePath(path, &tooDeep);
  if (tooDeep) {
    lastError_.Set(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (onDrive) {
    DWORD error = ERROR_SUCCESS;
    const DWORD attributes = discs_.AttributesOf(*onDrive, error);
    if (attributes == INVALID_FILE_ATTRIBUTES) lastError_.Set(error);
    return attributes;
  }
  if (::stat(path, &info) != 0) {
    lastError_.Set(ErrorOfOpen(errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL SimulatedFileSystem::CloseHandle(HANDLE file) {
  std::lock_guard lock(mutex_);
  auto it = files_.find(file);
  if (it == files_.end()) {
    lastError_.Set(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ::close(it->second.descriptor);
  files_.erase(it);
  return TRUE;
}

DWORD SimulatedFileSystem::GetLastError() {
  return lastError_.Get();
}

int SimulatedFileSystem::openFiles() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(files_.size());
}

}  // namespace korvel::platform::sim
