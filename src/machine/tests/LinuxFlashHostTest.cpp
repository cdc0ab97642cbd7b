#include "machine/LinuxFlashHost.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <map>

#include "machine/LinuxMachine.h"
#include "platform/linux/tests/FakeSysfsTree.h"

namespace korvel::platform {

// Found by argument-dependent lookup, so in the namespace of ProcessUse.
bool operator==(const ProcessUse& a, const ProcessUse& b) {
  return a.pid == b.pid && a.program == b.program;
}

}  // namespace korvel::platform

namespace korvel::machine {
namespace {

using platform::linux_host::NodeDevice;
using platform::linux_host::SysfsScsiDiscovery;
using platform::linux_host::testing::FakeSysfsTree;

// Nodes that open, lock and answer nothing; each stands for the device number given to it.
class NumberedNodes : public platform::linux_host::SgDeviceAccess {
 public:
  std::map<std::string, NodeDevice> devices;
  int Open(const std::string&, int, int&) override { return next_++; }
  int SendSgIo(int, sg_io_hdr_t&, int& error) override {
    error = EIO;
    return -1;
  }
  void Close(int) override {}
  int Lock(int, int, int&) override { return 0; }
  platform::linux_host::NodeRights RightsOf(const std::string&) override { return {}; }
  std::optional<NodeDevice> DeviceOf(const std::string& path) override {
    if (auto found = devices.find(path); found != devices.end()) return found->second;
    return std::nullopt;
  }

 private:
  int next_ = 10;
};

class RecordedPower : public platform::MachinePower {
 public:
  platform::PowerReading ReadPower() override {
    return {platform::PowerReading::Source::Battery, 12, "UPower"};
  }
  platform::HoldResult KeepAwake(const std::string& who, const std::string& why) override {
    asked = who + "|" + why;
    return {};
  }
  std::string asked;
};

class LinuxFlashHostTest : public ::testing::Test {
 protected:
  LinuxFlashHostTest() {
    tree_.AddDevice("1:0:0:0", 5, "KORVEL  ", "CD-R   RZ6120   ", "2.00", "sg1", "sr0");
    tree_.AddDevice("2:0:3:0", 5, "KORVEL  ", "CD-ROM          ", "3.00", "", "sr1");
    // sg1 is numbered as /dev/null is, so that the fake /proc's links to /dev/null hold it.
    nodes_.devices[Dev("sg1")] = NodeDevice{makedev(1, 3), false};
    nodes_.devices[Dev("sr0")] = NodeDevice{makedev(11, 0), true};
    nodes_.devices[Dev("sr1")] = NodeDevice{makedev(11, 1), true};
    FakeSysfsTree::Write(tree_.root() / "mounts", "");
    FakeSysfsTree::Write(files_.mountInfoFile,
                         "22 28 0:21 / /proc rw - proc proc rw\n"
                         "31 28 11:0 / /media/KORVEL\\040DISC ro - iso9660 /dev/cdrom ro\n"
                         "32 28 11:0 / /mnt/again ro - iso9660 /dev/sr0 ro\n"
                         "33 28 11:10 / /media/other ro - iso9660 /dev/sr10 ro\n");
    AddProcess("4242", "wodim\n");
    AddProcess(std::to_string(::getpid()), "ourselves\n");
  }

  std::string Dev(const char* node) const { return (tree_.dev() / node).string(); }
  void AddProcess(const std::string& pid, const char* comm) {
    const auto folder = files_.procRoot / pid;
    std::filesystem::create_directories(folder / "fd");
    FakeSysfsTree::Write(folder / "comm", comm);
    std::filesystem::create_symlink("/dev/null", folder / "fd" / "0");
  }

  FakeSysfsTree tree_;
  LinuxFlashFiles files_{tree_.root() / "mountinfo", tree_.root() / "proc"};
  NumberedNodes nodes_;
  RecordedPower power_;
};

TEST_F(LinuxFlashHostTest, NamesTheDriveAndTellsWhoUsesItByDeviceNumber) {
  transport::LinuxHostAdapters adapters(SysfsScsiDiscovery(tree_.sys(), tree_.dev()), nodes_,
                                        tree_.root() / "mounts");
  ASSERT_EQ(adapters.MapAdapters(), 2);
  LinuxFlashHost host(adapters, nodes_, power_, files_);

  EXPECT_EQ(host.DriveName({0, 0}), "0:0 (" + Dev("sg1") + ", " + Dev("sr0") + ")");
  EXPECT_EQ(host.DriveName({1, 3}), "1:3 (" + Dev("sr1") + ")");
  EXPECT_EQ(host.DriveName({5, 5}), "5:5");

  const platform::DriveUse used = host.UseOf({0, 0});
  EXPECT_EQ(used.mountPoints, (std::vector<std::string>{"/media/KORVEL DISC", "/mnt/again"}));
  EXPECT_EQ(used.processes, (std::vector<platform::ProcessUse>{{4242, "wodim"}}))
      << "this program's own descriptors are none of the user's business";
  EXPECT_FALSE(used.othersUnchecked);

  const platform::DriveUse free = host.UseOf({1, 3});
  EXPECT_TRUE(free.mountPoints.empty()) << "11:1 is not 11:10";
  EXPECT_TRUE(free.processes.empty());
  EXPECT_TRUE(host.UseOf({5, 5}).processes.empty());
}

TEST_F(LinuxFlashHostTest, HoldsTheDriveAndAsksThePowerItWasGiven) {
  transport::LinuxHostAdapters adapters(SysfsScsiDiscovery(tree_.sys(), tree_.dev()), nodes_,
                                        tree_.root() / "mounts");
  ASSERT_EQ(adapters.MapAdapters(), 2);
  LinuxFlashHost host(adapters, nodes_, power_, files_);
  EXPECT_FALSE(host.FlashedByAnother({0, 0}));
  const platform::HoldResult held = host.HoldDrive({0, 0});
  EXPECT_TRUE(held.hold);
  EXPECT_EQ(held.refusal, "");
  EXPECT_EQ(host.HoldDrive({5, 5}).refusal, "no drive is mapped at 5:5");

  EXPECT_EQ(host.ReadPower().percent, 12);
  EXPECT_EQ(host.ReadPower().origin, "UPower");
  host.KeepAwake("korvel-upgrade", "Flashing the firmware of drive 0:0");
  EXPECT_EQ(power_.asked, "korvel-upgrade|Flashing the firmware of drive 0:0");

  std::unique_ptr<platform::SignalShield> shield = host.ShieldSignals("korvel-upgrade");
  ASSERT_TRUE(shield);
  EXPECT_EQ(shield->Arrived(), 0);
  EXPECT_FALSE(host.ShieldSignals("korvel-upgrade")) << "one shield at a time";
}

// The machine's own power services would reach the system bus of the machine the tests run on;
// the tests give theirs.
TEST_F(LinuxFlashHostTest, TheMachineTakesItsPowerFromTheServicesItIsGiven) {
  LinuxMachine given(false, SysfsScsiDiscovery(tree_.sys(), tree_.dev()), tree_.root() / "mounts",
                     files_, power_);
  ASSERT_NE(given.flashHost(), nullptr);
  EXPECT_EQ(given.flashHost()->ReadPower().percent, 12);
}

}  // namespace
}  // namespace korvel::machine
