#include "platform/linux/ProcessHolders.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace korvel::platform::linux_host {

namespace {

// A PID directory's name is all digits; /proc also holds "self", "sys" and the like.
bool ParsePid(const char* name, pid_t& pid) {
  const char* end = name + std::strlen(name);
  if (name == end || *name < '1' || *name > '9') return false;
  const auto [at, error] = std::from_chars(name, end, pid);
  return error == std::errc() && at == end && pid > 0;
}

// The kernel keeps at most 15 bytes; a longer line is no comm file.
constexpr std::size_t kMaxProgramName = 64;

std::string ProgramName(const std::filesystem::path& commFile) {
  std::ifstream in(commFile, std::ios::binary);
  std::string name;
  std::getline(in, name);
  if (name.size() > kMaxProgramName) name.resize(kMaxProgramName);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return name;
}

bool IsOneOf(const struct stat& info, const std::vector<NodeDevice>& nodes) {
  const bool block = S_ISBLK(info.st_mode);
  if (!block && !S_ISCHR(info.st_mode)) return false;
  return std::any_of(nodes.begin(), nodes.end(), [&](const NodeDevice& node) {
    return node.isBlock == block && node.device == info.st_rdev;
  });
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

enum class Look { Holds, HoldsNot, Unreadable };

Look LookAtFiles(const std::filesystem::path& fdFolder, const std::vector<NodeDevice>& nodes) {
  Dir dir(::opendir(fdFolder.c_str()));
  if (!dir) {
    // ENOENT and ESRCH: the process ended meanwhile; whatever else, its files are unknown.
    return errno == ENOENT || errno == ESRCH ? Look::HoldsNot : Look::Unreadable;
  }
  bool unreadable = false;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (entry->d_name[0] == '.') continue;
    struct stat info {};
    // stat follows the link to the open file itself.
    if (::stat((fdFolder / entry->d_name).c_str(), &info) != 0) {
      // Closed meanwhile (ENOENT), or a file of a name space we cannot reach.
      if (errno == EACCES || errno == EPERM) unreadable = true;
      continue;
    }
    if (IsOneOf(info, nodes)) return Look::Holds;
  }
  return unreadable ? Look::Unreadable : Look::HoldsNot;
}

}  // namespace

DriveUse ProcessesHolding(const std::vector<NodeDevice>& nodes, pid_t ownPid,
                          const std::filesystem::path& procRoot) {
  DriveUse use;
  if (nodes.empty()) return use;
  Dir proc(::opendir(procRoot.c_str()));
  if (!proc) {
    use.othersUnchecked = true;
    return use;
  }
  while (const dirent* entry = ::readdir(proc.get())) {
    pid_t pid = 0;
    if (!ParsePid(entry->d_name, pid) || pid == ownPid) continue;
    const std::filesystem::path folder = procRoot / entry->d_name;
    switch (LookAtFiles(folder / "fd", nodes)) {
      case Look::Holds:
        use.processes.push_back(ProcessUse{static_cast<int>(pid), ProgramName(folder / "comm")});
        break;
      case Look::Unreadable:
        use.othersUnchecked = true;
        break;
      case Look::HoldsNot:
        break;
    }
  }
  std::sort(use.processes.begin(), use.processes.end(),
            [](const ProcessUse& a, const ProcessUse& b) { return a.pid < b.pid; });
  return use;
}

}  // namespace korvel::platform::linux_host
