#include "tcmu/UioDevice.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>

namespace korvel::tcmu {
namespace {

// Sysfs attributes are short; anything longer is not the attribute expected.
constexpr std::streamsize kLongestAttribute = 256;

std::string ReadAttribute(const std::filesystem::path& path) {
  std::ifstream file(path);
  if (!file) return {};
  std::string text(kLongestAttribute, '\0');
  file.read(text.data(), kLongestAttribute);
  text.resize(static_cast<std::size_t>(file.gcount()));
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string SystemError(const std::filesystem::path& node, const char* what) {
  return node.string() + ": " + what + ": " + std::strerror(errno);
}

}  // namespace

UioDevice::UioDevice(const std::filesystem::path& node) {
  fd_ = ::open(node.c_str(), O_RDWR | O_CLOEXEC);
  if (fd_ < 0) throw UioError(SystemError(node, "cannot open"));
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || !S_ISCHR(status.st_mode)) {
    ::close(fd_);
    throw UioError(node.string() + ": not a character device");
  }
  // The device's sysfs folder by its number, whatever the node is called.
  const std::filesystem::path sysfs = "/sys/dev/char/" + std::to_string(major(status.st_rdev)) +
                                      ":" + std::to_string(minor(status.st_rdev));
  const std::string sizeText = ReadAttribute(sysfs / "maps/map0/size");
  std::size_t consumed = 0;
  unsigned long long size = 0;
  try {
    size = std::stoull(sizeText, &consumed, 0);
  } catch (const std::exception&) {
    consumed = 0;
  }
  if (sizeText.empty() || consumed != sizeText.size() || size == 0 ||
      size > std::numeric_limits<std::size_t>::max()) {
    ::close(fd_);
    throw UioError(node.string() + ": not a UIO device with a shared region (no size in " +
                   (sysfs / "maps/map0/size").string() + ")");
  }
  name_ = ReadAttribute(sysfs / "name");
  void* base = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (base == MAP_FAILED) {
    const std::string message = SystemError(node, "cannot map the shared region");
    ::close(fd_);
    throw UioError(message);
  }
  base_ = static_cast<std::uint8_t*>(base);
  size_ = static_cast<std::size_t>(size);
}

UioDevice::~UioDevice() {
  if (base_ != nullptr) ::munmap(base_, size_);
  if (fd_ >= 0) ::close(fd_);
}

void UioDevice::TakeEvents() {
  std::uint32_t events = 0;
  if (::read(fd_, &events, sizeof events) < 0 && errno != EINTR && errno != EAGAIN) {
    throw UioError(std::string("waiting for commands: ") + std::strerror(errno));
  }
}

void UioDevice::SignalCompletion() {
  const std::uint32_t value = 0;
  if (::write(fd_, &value, sizeof value) < 0 && errno != EINTR) {
    throw UioError(std::string("announcing completions: ") + std::strerror(errno));
  }
}

}  // namespace korvel::tcmu
