#include "platform/linux/ProcessHolders.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <algorithm>
#include <sstream>

#include "platform/linux/tests/FakeSysfsTree.h"
#include "platform/testing/CaseNames.h"

namespace korvel::platform {

// Found by argument-dependent lookup, so in the namespace of ProcessUse.
bool operator==(const ProcessUse& a, const ProcessUse& b) {
  return a.pid == b.pid && a.program == b.program;
}

void PrintTo(const ProcessUse& use, std::ostream* os) {
  *os << use.pid << ' ';
  case_names::PrintText(use.program, os);
}

}  // namespace korvel::platform

namespace korvel::platform::linux_host {
namespace {

using testing::FakeSysfsTree;

const NodeDevice kNull{makedev(1, 3), false};
const NodeDevice kZero{makedev(1, 5), false};

TEST(ProcessHoldersTest, FindsAChildThatHoldsDevNullByPidAndNameButNotItself) {
  const int own = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(own, 0);
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(release[1]);  // else the read below would never see the end
    ::close(ready[0]);
    ::prctl(PR_SET_NAME, "korvel-holder", 0, 0, 0);
    const int fd = ::open("/dev/null", O_RDWR);
    char byte = fd >= 0 ? 'y' : 'n';
    (void)::write(ready[1], &byte, 1);
    (void)::read(release[0], &byte, 1);
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  char byte = 0;
  const bool childReady = ::read(ready[0], &byte, 1) == 1 && byte == 'y';
  const DriveUse use = childReady ? ProcessesHolding({kNull}) : DriveUse{};
  // The child ends when the pipe's last writer is gone, whatever became of the test.
  ::close(release[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(ready[0]);
  ::close(own);
  ASSERT_TRUE(childReady);

  EXPECT_NE(std::find(use.processes.begin(), use.processes.end(),
                      ProcessUse{static_cast<int>(child), "korvel-holder"}),
            use.processes.end());
  EXPECT_TRUE(std::none_of(use.processes.begin(), use.processes.end(),
                           [](const ProcessUse& p) { return p.pid == ::getpid(); }));
  EXPECT_TRUE(
      std::is_sorted(use.processes.begin(), use.processes.end(),
                     [](const ProcessUse& a, const ProcessUse& b) { return a.pid < b.pid; }));
  EXPECT_TRUE(use.mountPoints.empty());
}

// A /proc of the test's making: its fd entries are links to real device nodes.
class FakeProc {
 public:
  FakeProc() { std::filesystem::create_directories(root()); }
  std::filesystem::path root() const { return tree_.root() / "proc"; }

  // `files`: what each fd links to; a process without `comm` when `comm` is null.
  void AddProcess(const std::string& pid, const char* comm, const std::vector<std::string>& files) {
    const auto folder = root() / pid;
    std::filesystem::create_directories(folder / "fd");
    if (comm != nullptr) FakeSysfsTree::Write(folder / "comm", comm);
    for (std::size_t i = 0; i < files.size(); ++i) {
      std::filesystem::create_symlink(files[i], folder / "fd" / std::to_string(i));
    }
  }
  void Lock(const std::string& pid) {
    std::filesystem::permissions(root() / pid / "fd", std::filesystem::perms::none);
  }

 private:
  FakeSysfsTree tree_;
};

struct HolderCase {
  const char* name;
  std::vector<NodeDevice> nodes;
  std::vector<ProcessUse> processes;
  bool othersUnchecked;
};

void PrintTo(const HolderCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

// Runs the scan as a user who may not look at locked folders: root may look at everything.
DriveUse ScanWithoutPrivileges(const std::vector<NodeDevice>& nodes, pid_t own,
                               const std::filesystem::path& proc) {
  if (::geteuid() != 0) return ProcessesHolding(nodes, own, proc);
  int out[2];
  if (::pipe(out) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
    if (::setgid(uid) != 0 || ::setuid(uid) != 0) ::_exit(2);
    const DriveUse use = ProcessesHolding(nodes, own, proc);
    std::ostringstream text;
    text << use.othersUnchecked << '\n';
    for (const ProcessUse& p : use.processes) text << p.pid << ' ' << p.program << '\n';
    const std::string bytes = text.str();
    (void)::write(out[1], bytes.data(), bytes.size());
    ::_exit(0);
  }
  ::close(out[1]);
  std::string bytes;
  char buffer[256];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::istringstream lines(bytes);
  DriveUse use;
  lines >> use.othersUnchecked;
  int pid = 0;
  while (lines >> pid) {
    ProcessUse p{pid, {}};
    lines.get();
    std::getline(lines, p.program);
    use.processes.push_back(p);
  }
  return use;
}

class ProcessHoldersTableTest : public ::testing::TestWithParam<HolderCase> {
 protected:
  ProcessHoldersTableTest() {
    proc_.AddProcess("100", "wodim\n", {"/dev/zero", "/dev/null"});
    proc_.AddProcess("7", "cdrecord\n", {"/dev/null", "/dev/null"});
    proc_.AddProcess("200", "burner\x1b[31m\n", {"/dev/null"});
    proc_.AddProcess("300", nullptr, {"/dev/null"});                  // comm unreadable
    proc_.AddProcess("400", "ours\n", {"/dev/null"});                 // this program
    proc_.AddProcess("500", "editor\n", {"/tmp", "/dev/zero-gone"});  // no device
    proc_.AddProcess("self", "self\n", {"/dev/null"});
    proc_.AddProcess("12ab", "junk\n", {"/dev/null"});
    proc_.AddProcess("0", "junk\n", {"/dev/null"});
    FakeSysfsTree::Write(proc_.root() / "42", "a file where a process belongs");
    std::filesystem::create_directories(proc_.root() / "43");  // ended: no fd folder
    proc_.AddProcess("600", "secret\n", {"/dev/null"});
    proc_.Lock("600");
  }
  FakeProc proc_;
};

TEST_P(ProcessHoldersTableTest, NamesTheHoldersAndSaysWhenSomeCouldNotBeChecked) {
  const HolderCase& c = GetParam();
  const DriveUse use = ScanWithoutPrivileges(c.nodes, 400, proc_.root());
  EXPECT_EQ(use.processes, c.processes);
  EXPECT_EQ(use.othersUnchecked, c.othersUnchecked);
}

INSTANTIATE_TEST_SUITE_P(
    FakeProc, ProcessHoldersTableTest,
    ::testing::Values(HolderCase{"null held by four others, one locked",
                                 {kNull},
                                 {{7, "cdrecord"}, {100, "wodim"}, {200, "burner?[31m"}, {300, ""}},
                                 true},
                      HolderCase{"zero and null held by one process counted once",
                                 {kZero, kNull},
                                 {{7, "cdrecord"}, {100, "wodim"}, {200, "burner?[31m"}, {300, ""}},
                                 true},
                      HolderCase{"zero held by wodim alone", {kZero}, {{100, "wodim"}}, true},
                      HolderCase{"a block device of the same number is another device",
                                 {{makedev(1, 3), true}},
                                 {},
                                 true},
                      HolderCase{"nothing looked for", {}, {}, false}),
    case_names::FromMember<&HolderCase::name>{});

TEST(ProcessHoldersTest, AProcTreeThatCannotBeReadLeavesEveryoneUnchecked) {
  FakeSysfsTree tree;
  const DriveUse use = ProcessesHolding({kNull}, 1, tree.root() / "absent");
  EXPECT_TRUE(use.processes.empty());
  EXPECT_TRUE(use.othersUnchecked);
}

}  // namespace
}  // namespace korvel::platform::linux_host
