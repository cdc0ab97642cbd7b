#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/linux/SgDeviceAccess.h"

namespace korvel::platform::linux_host {

int PosixSgDeviceAccess::Open(const std::string& path, int flags, int& error) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  error = fd < 0 ? errno : 0;
  return fd;
}

int PosixSgDeviceAccess::SendSgIo(int fd, sg_io_hdr_t& header, int& error) {
  int result = ::ioctl(fd, SG_IO, &header);
  error = result < 0 ? errno : 0;
  return result < 0 ? -1 : 0;
}

void PosixSgDeviceAccess::Close(int fd) {
  ::close(fd);
}

int PosixSgDeviceAccess::Lock(int fd, int operation, int& error) {
  int result = 0;
  do {
    result = ::flock(fd, operation);
  } while (result != 0 && errno == EINTR);
  error = result != 0 ? errno : 0;
  return result != 0 ? -1 : 0;
}

NodeRights PosixSgDeviceAccess::RightsOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  NodeRights rights;
  // Opening for commands needs both read and write permission.
  rights.groupMayWrite = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  rights.othersMayWrite = (info.st_mode & (S_IROTH | S_IWOTH)) == (S_IROTH | S_IWOTH);
  long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct group entry {};
  struct group* found = nullptr;
  if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr) {
    rights.group = std::to_string(info.st_gid);
  } else {
    rights.group = found->gr_name;
  }
  return rights;
}

std::optional<NodeDevice> PosixSgDeviceAccess::DeviceOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  if (!S_ISBLK(info.st_mode) && !S_ISCHR(info.st_mode)) return std::nullopt;
  return NodeDevice{info.st_rdev, S_ISBLK(info.st_mode)};
}

}  // namespace korvel::platform::linux_host
