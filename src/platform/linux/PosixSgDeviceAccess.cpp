#include <fcntl.h>
#include <grp.h>
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

std::string PosixSgDeviceAccess::GroupOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct group entry {};
  struct group* found = nullptr;
  if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr) {
    return std::to_string(info.st_gid);
  }
  return found->gr_name;
}

}  // namespace korvel::platform::linux_host
