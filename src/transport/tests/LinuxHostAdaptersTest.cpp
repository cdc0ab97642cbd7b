#include "transport/LinuxHostAdapters.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include <sys/file.h>
#include <sys/sysmacros.h>

#include "drive/Identification.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/tests/FakeSysfsTree.h"
#include "platform/linux/tests/KernelSgBuffer.h"
#include "platform/testing/CaseNames.h"
#include "transport/DriveLetters.h"
#include "transport/LinuxSgCommand.h"
#include "transport/TransportStartup.h"

namespace korvel::transport {
namespace {

using platform::linux_host::SysfsScsiDiscovery;
using platform::linux_host::testing::FakeSysfsTree;

// The device nodes as the tests want them: which opens are refused, and what SG_IO answers.
// `answer` writes into a buffer of the kernel's own, handed back as the kernel does. Exclusive
// opens and locks behave as the kernel's: the sg driver refuses O_EXCL while any other
// descriptor of the node is open and refuses every other open while one holds it so (EBUSY
// with O_NONBLOCK; without, the open would wait); a block device has one exclusive holder, a
// mounted file system being one; flock(2) locks belong to a descriptor, shared ones exclude an
// exclusive one and an exclusive one everything. Every descriptor opened here counts as another
// program's to every other descriptor, as it does for the kernel.
class FakeSgAccess : public platform::linux_host::SgDeviceAccess {
 public:
  struct Sent {
    std::string node;
    sg_io_hdr_t header;
    std::vector<unsigned char> cdb;
    std::vector<unsigned char> dataOut;  // what a data-out command carried
    int fd = -1;
  };
  std::map<std::string, int> refuseOpen;  // node -> errno for read-write opens
  std::map<std::string, int> refuseReadOnly;
  std::function<int(sg_io_hdr_t&, int&)> answer = [](sg_io_hdr_t& h, int&) {
    if (h.cmdp[0] == 0x12 && h.dxfer_len >= 36) {
      auto* data = static_cast<unsigned char*>(h.dxferp);
      std::memset(data, ' ', h.dxfer_len);
      data[0] = 0x05;
      std::memcpy(data + 8, "KORVEL  CD-R   RZ6120   2.00", 28);
    }
    return 0;
  };
  std::vector<Sent> sent;
  std::vector<std::pair<std::string, int>> opens;
  // Other processes, as the kernel sees them.
  std::map<std::string, int> othersOpen;  // node -> descriptors they hold
  std::set<std::string> othersExclusive;  // sg nodes one holds with O_EXCL
  std::set<std::string> othersClaim;      // block nodes mounted or claimed exclusively
  std::set<std::string> othersLock;       // nodes whose flock one holds exclusively
  std::map<std::string, platform::linux_host::NodeDevice> devices;
  // Every open, flock and close, by node name ("open sg1 RDWR|NONBLOCK", "flock sr0 EX|NB"),
  // each refusal with its errno name after a colon.
  std::vector<std::string> calls;
  int lastFd = -1;

  int Open(const std::string& path, int flags, int& error) override {
    opens.emplace_back(path, flags);
    const std::string call = "open " + Name(path) + " " + FlagText(flags);
    const auto& refusals = (flags & O_ACCMODE) == O_RDWR ? refuseOpen : refuseReadOnly;
    if (auto found = refusals.find(path); found != refusals.end()) {
      return Fail(call, found->second, error);
    }
    const bool sg = Name(path).rfind("sg", 0) == 0;
    if ((flags & O_EXCL) != 0 && sg && (flags & O_ACCMODE) == O_RDONLY) {
      return Fail(call, EPERM, error);
    }
    bool busy = false;
    if ((flags & O_EXCL) != 0) {
      busy = sg ? OpenHere(path) > 0 || othersOpen[path] > 0 || othersExclusive.count(path) > 0
                : othersClaim.count(path) > 0 || ExclusiveHere(path);
    } else if (sg) {
      busy = othersExclusive.count(path) > 0 || ExclusiveHere(path);
    }
    if (busy) {
      if ((flags & O_NONBLOCK) == 0) ADD_FAILURE() << call << " would wait for the node";
      return Fail(call, EBUSY, error);
    }
    calls.push_back(call);
    files_[next_] = File{path, (flags & O_EXCL) != 0, 0};
    lastFd = next_;
    return next_++;
  }
  int SendSgIo(int fd, sg_io_hdr_t& header, int& error) override {
    Sent record{files_[fd].path, header, {header.cmdp, header.cmdp + header.cmd_len}, {}, fd};
    if (header.dxfer_direction == SG_DXFER_TO_DEV && header.dxferp != nullptr) {
      const auto* data = static_cast<const unsigned char*>(header.dxferp);
      record.dataOut.assign(data, data + header.dxfer_len);
    }
    sent.push_back(std::move(record));
    return platform::linux_host::testing::SendLikeTheKernel(
        header, error, [this](sg_io_hdr_t& h, int& e) { return answer(h, e) == 0 ? 0 : -1; });
  }
  void Close(int fd) override {
    if (auto found = files_.find(fd); found != files_.end()) {
      calls.push_back("close " + Name(found->second.path));
      files_.erase(found);
    } else {
      ADD_FAILURE() << "closed " << fd << ", which is not open";
    }
  }
  int Lock(int fd, int operation, int& error) override {
    File& file = files_.at(fd);
    const int kind = operation & ~LOCK_NB;
    const std::string call = "flock " + Name(file.path) + " " +
                             (kind == LOCK_EX   ? "EX"
                              : kind == LOCK_SH ? "SH"
                                                : "UN") +
                             ((operation & LOCK_NB) != 0 ? "|NB" : "");
    if (kind == LOCK_UN) {
      file.lock = 0;
      calls.push_back(call);
      error = 0;
      return 0;
    }
    bool conflict = othersLock.count(file.path) > 0;
    for (const auto& [other, held] : files_) {
      if (other == fd || held.path != file.path || held.lock == 0) continue;
      if (kind == LOCK_EX || held.lock == LOCK_EX) conflict = true;
    }
    if (conflict) {
      if ((operation & LOCK_NB) == 0) ADD_FAILURE() << call << " would wait for the lock";
      return Fail(call, EWOULDBLOCK, error);
    }
    file.lock = kind;
    calls.push_back(call);
    error = 0;
    return 0;
  }
  platform::linux_host::NodeRights RightsOf(const std::string&) override { return rights; }
  std::optional<platform::linux_host::NodeDevice> DeviceOf(const std::string& path) override {
    if (auto found = devices.find(path); found != devices.end()) return found->second;
    return std::nullopt;
  }
  platform::linux_host::NodeRights rights{"cdrom", true, false};

  // Descriptors opened here and not closed.
  std::size_t OpenDescriptors() const { return files_.size(); }

 private:
  struct File {
    std::string path;
    bool exclusive = false;
    int lock = 0;  // LOCK_SH, LOCK_EX or 0
  };
  static std::string Name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
  }
  static std::string FlagText(int flags) {
    std::string text = (flags & O_ACCMODE) == O_RDWR     ? "RDWR"
                       : (flags & O_ACCMODE) == O_WRONLY ? "WRONLY"
                                                         : "RDONLY";
    if ((flags & O_NONBLOCK) != 0) text += "|NONBLOCK";
    if ((flags & O_EXCL) != 0) text += "|EXCL";
    if ((flags & O_CLOEXEC) != 0) text += "|CLOEXEC";
    return text;
  }
  int Fail(const std::string& call, int errorValue, int& error) {
    calls.push_back(call + ": " + strerrorname_np(errorValue));
    error = errorValue;
    return -1;
  }
  int OpenHere(const std::string& path) const {
    return static_cast<int>(std::count_if(files_.begin(), files_.end(),
                                          [&](const auto& f) { return f.second.path == path; }));
  }
  bool ExclusiveHere(const std::string& path) const {
    return std::any_of(files_.begin(), files_.end(),
                       [&](const auto& f) { return f.second.path == path && f.second.exclusive; });
  }

  std::map<int, File> files_;
  int next_ = 10;
};

class LinuxHostAdaptersTest : public ::testing::Test {
 protected:
  LinuxHostAdaptersTest() {
    tree_.AddDevice("0:0:0:0", 0, "ATA     ", "SYSTEM DISK     ", "0001", "sg0", "sda");
    tree_.AddDevice("1:0:0:0", 5, "KORVEL  ", "CD-R   RZ6120   ", "2.00", "sg1", "sr0");
    tree_.AddDevice("12:0:0:0", 5, "KORVEL  ", "CD-ROM          ", "3.00", "", "sr1");
    tree_.AddDevice("12:0:0:1", 5, "KORVEL  ", "CD-ROM          ", "3.00", "sg5", "");
    tree_.AddDevice("14:0:20:0", 5, "ACME    ", "FAR AWAY        ", "1.00", "sg6", "");
    tree_.AddDevice("15:0:2:0", 5, "ACME    ", "NO NODES        ", "1.00", "", "");
    FakeSysfsTree::Write(tree_.root() / "mounts", "/dev/sda1 / ext4 rw 0 0\n" +
                                                      (tree_.dev() / "sr1").string() +
                                                      " /media/cdrom iso9660 ro 0 0\n");
  }

  LinuxHostAdapters MakeAdapters() {
    return LinuxHostAdapters(SysfsScsiDiscovery(tree_.sys(), tree_.dev()), access_,
                             tree_.root() / "mounts");
  }
  std::string Dev(const char* node) const { return (tree_.dev() / node).string(); }

  FakeSysfsTree tree_;
  FakeSgAccess access_;
};

TEST_F(LinuxHostAdaptersTest, MapsHostsWithOpticalDrivesOntoAdaptersInAscendingOrder) {
  LinuxHostAdapters adapters = MakeAdapters();
  EXPECT_EQ(adapters.MapAdapters(), 2)
      << "the disk's host 0 and the unreachable ones are not mapped";
  EXPECT_EQ(adapters.HostOf(0), 1);
  EXPECT_EQ(adapters.HostOf(1), 12);
  EXPECT_EQ(adapters.HostOf(2), std::nullopt);

  std::optional<LinuxDeviceNode> atapi = adapters.DeviceNodeOf(0, 0);
  ASSERT_TRUE(atapi);
  EXPECT_EQ(atapi->commandNode, Dev("sg1"));
  EXPECT_EQ(atapi->blockNode, Dev("sr0"));
  EXPECT_EQ(atapi->mountPoint, "");
  std::optional<LinuxDeviceNode> usb = adapters.DeviceNodeOf(1, 0);
  ASSERT_TRUE(usb);
  EXPECT_EQ(usb->commandNode, Dev("sr1")) << "no sg node: SG_IO goes to the block node";
  EXPECT_EQ(usb->mountPoint, "/media/cdrom");
  EXPECT_FALSE(adapters.DeviceNodeOf(0, 1));
  EXPECT_FALSE(adapters.DeviceNodeOf(9, 0));

  ASSERT_EQ(adapters.notes().size(), 3u);
  EXPECT_EQ(adapters.notes()[0],
            "12:0:0:1 (KORVEL CD-ROM): logical unit above 0 cannot be addressed");
  EXPECT_EQ(adapters.notes()[1],
            "14:0:20:0 (ACME FAR AWAY): target ID above 15 cannot be addressed");
  EXPECT_EQ(adapters.notes()[2],
            "15:0:2:0 (ACME NO NODES): no sg or block device node to reach it through");
}

// A read error on one device's attribute (here a directory where a file belongs: EISDIR) used to
// throw out of the discovery and end the program; the device is skipped and the scan goes on.
TEST_F(LinuxHostAdaptersTest, ADeviceWithAnUnreadableAttributeIsSkippedWithANote) {
  const auto broken =
      tree_.AddDevice("3:0:4:0", 5, "KORVEL  ", "CD-ROM          ", "1.00", "sg7", "sr7");
  std::filesystem::remove(broken / "type");
  std::filesystem::create_directory(broken / "type");
  LinuxHostAdapters adapters = MakeAdapters();
  EXPECT_EQ(adapters.MapAdapters(), 2);
  EXPECT_TRUE(adapters.DeviceNodeOf(0, 0)) << "the readable drives are still mapped";
  EXPECT_TRUE(adapters.DeviceNodeOf(1, 0));
  ASSERT_EQ(adapters.notes().size(), 4u);
  EXPECT_EQ(adapters.notes()[0],
            "3:0:4:0: skipped, " + (broken / "type").string() + " cannot be read: Is a directory");
}

TEST_F(LinuxHostAdaptersTest, KeepsHostsBeyondTheEighthOut) {
  for (int host = 20; host < 30; ++host) {
    tree_.AddDevice(std::to_string(host) + ":0:1:0", 5, "KORVEL  ", "CD-ROM          ", "3.00",
                    "sg" + std::to_string(host), "");
  }
  LinuxHostAdapters adapters = MakeAdapters();
  EXPECT_EQ(adapters.MapAdapters(), 8);
  EXPECT_EQ(adapters.HostOf(7), 25);
  EXPECT_EQ(
      adapters.notes().back(),
      "29:0:1:0 (KORVEL CD-ROM): host 29 is beyond the 8 host adapters that can be addressed");
}

TEST_F(LinuxHostAdaptersTest, StartTransportFallsBackToTheHostAndInquiresThroughSgIo) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  EXPECT_EQ(StartTransport(transport, &adapters), 2);
  EXPECT_EQ(transport.state().HostAdapterCount, 2u);
  EXPECT_FALSE(transport.state().PassThroughMode);
  EXPECT_TRUE(transport.HasHostBackend());

  drive::InquiryInfo info;
  EXPECT_EQ(drive::InquireDrive(transport, 0, 0, info), 0x0501);
  EXPECT_STREQ(info.vendor, "KORVEL  ");
  EXPECT_STREQ(info.product, "CD-R   RZ6120   ");
  EXPECT_EQ(drive::DriveTypeOf(transport, 0, 0), 18);
  ASSERT_EQ(access_.sent.size(), 2u);
  const FakeSgAccess::Sent& inquiry = access_.sent[0];
  EXPECT_EQ(inquiry.node, Dev("sg1"));
  EXPECT_EQ(inquiry.header.interface_id, 'S');
  EXPECT_EQ(inquiry.header.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(inquiry.header.dxfer_len, 56u);
  EXPECT_EQ(inquiry.header.mx_sb_len, 32);
  EXPECT_EQ(inquiry.header.timeout, kSgTimeoutMs);
  EXPECT_EQ(inquiry.cdb, (std::vector<unsigned char>{0x12, 0, 0, 0, 0x38, 0}));
  EXPECT_EQ(access_.opens.size(), 1u) << "the node is opened once and kept";
  EXPECT_EQ(drive::InquireDrive(transport, 0, 3, info), 0) << "nothing at (0, 3)";
  EXPECT_EQ(access_.sent.size(), 2u);
}

TEST_F(LinuxHostAdaptersTest, EveryMappedDriveGetsALetterFromDInAddressOrder) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  platform::linux_host::DriveLetterTable letters;
  LinuxHostAdapters adapters(SysfsScsiDiscovery(tree_.sys(), tree_.dev()), access_,
                             tree_.root() / "mounts", &letters);
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  EXPECT_EQ(adapters.DeviceNodeOf(0, 0)->letter, 'D');
  EXPECT_EQ(adapters.DeviceNodeOf(1, 0)->letter, 'E');
  EXPECT_EQ(letters.BlockNodeOf('D'), Dev("sr0"));
  EXPECT_EQ(letters.BlockNodeOf('E'), Dev("sr1"));
  EXPECT_EQ(letters.BlockNodeOf('F'), std::nullopt);
  EXPECT_EQ(DriveLetterOf(transport, 0, 0), 3);
  EXPECT_EQ(DriveLetterOf(transport, 1, 0), 4);
  EXPECT_EQ(DriveLetterOf(transport, 0, 3), 2) << "no drive there: drive C";
  EXPECT_EQ(access_.sent.size(), 0u) << "the letters need no command";
}

TEST_F(LinuxHostAdaptersTest, LettersEndAtZWithANoteForEachDriveLeftWithout) {
  // With the two drives of the fixture first, 24 more: 26 drives for the 23 letters D to Z.
  for (int target = 0; target < 16; ++target) {
    tree_.AddDevice("2:0:" + std::to_string(target) + ":0", 5, "KORVEL  ", "CD-ROM          ",
                    "3.00", "sg" + std::to_string(20 + target), "");
  }
  for (int target = 0; target < 8; ++target) {
    tree_.AddDevice("3:0:" + std::to_string(target) + ":0", 5, "KORVEL  ", "CD-ROM          ",
                    "3.00", "sg" + std::to_string(40 + target), "");
  }
  platform::linux_host::DriveLetterTable letters;
  LinuxHostAdapters adapters(SysfsScsiDiscovery(tree_.sys(), tree_.dev()), access_,
                             tree_.root() / "mounts", &letters);
  EXPECT_EQ(adapters.MapAdapters(), 4);
  EXPECT_EQ(adapters.DriveIndexOf(0, 0), 3);
  EXPECT_EQ(adapters.DriveIndexOf(1, 0), 4) << "host 2 is adapter 1";
  EXPECT_EQ(adapters.DriveIndexOf(1, 15), 19);
  EXPECT_EQ(adapters.DriveIndexOf(2, 0), 20) << "host 3 is adapter 2";
  EXPECT_EQ(adapters.DriveIndexOf(2, 5), 25);
  EXPECT_EQ(adapters.DriveIndexOf(2, 6), -1);
  EXPECT_EQ(adapters.DriveIndexOf(3, 0), -1) << "host 12 is adapter 3, past Z:";
  EXPECT_EQ(adapters.notes().back(),
            "Linux SCSI host 12, " + Dev("sr1") + ": no drive letter left after Z:");
}

struct SgCase {
  const char* name;
  std::vector<std::uint8_t> cdb;
  std::uint32_t length;
  int direction;
};

void PrintTo(const SgCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class SgDirectionTest : public LinuxHostAdaptersTest,
                        public ::testing::WithParamInterface<SgCase> {};

TEST_P(SgDirectionTest, SendsTheCdbLengthAndDirectionOfTheOpcode) {
  LinuxHostAdapters adapters = MakeAdapters();
  adapters.MapAdapters();
  std::vector<std::uint8_t> data(GetParam().length);
  CommandRequest request{0,
                         0,
                         GetParam().cdb.data(),
                         static_cast<std::uint8_t>(GetParam().cdb.size()),
                         GetParam().direction == SG_DXFER_TO_DEV,
                         data.empty() ? nullptr : data.data(),
                         GetParam().length};
  EXPECT_EQ(adapters.Execute(request).status, 1);
  ASSERT_EQ(access_.sent.size(), 1u);
  EXPECT_EQ(access_.sent[0].header.dxfer_direction, GetParam().direction);
  EXPECT_EQ(access_.sent[0].cdb,
            std::vector<unsigned char>(GetParam().cdb.begin(), GetParam().cdb.end()));
  EXPECT_EQ(access_.sent[0].header.dxfer_len, GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SgDirectionTest,
    ::testing::Values(
        SgCase{"TestUnitReady", {0, 0, 0, 0, 0, 0}, 0, SG_DXFER_NONE},
        SgCase{"WriteBuffer", {0x3B, 4, 0, 0, 0, 0, 0, 0x20, 0, 0}, 8192, SG_DXFER_TO_DEV},
        SgCase{
            "ReadDriveMemory12", {0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 64, SG_DXFER_FROM_DEV}),
    [](const ::testing::TestParamInfo<SgCase>& info) { return info.param.name; });

TEST_F(LinuxHostAdaptersTest, CheckConditionKeepsTheSenseAndHostErrorsNeverReadAsSuccess) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  const std::uint8_t modeSelect[10] = {0x55, 0x10, 0, 0, 0, 0, 0, 0, 8, 0};
  std::uint8_t parameters[8] = {};

  access_.answer = [](sg_io_hdr_t& h, int&) {
    h.status = 0x02;
    h.driver_status = 0x08;
    const unsigned char sense[18] = {0x70, 0, 0x05, 0,    0,    0,    0,    10,   0,
                                     0,    0, 0,    0x24, 0x00, 0xEE, 0xEE, 0xEE, 0xEE};
    std::memcpy(h.sbp, sense, sizeof sense);
    h.sb_len_wr = sizeof sense;
    return 0;
  };
  EXPECT_EQ(transport.ExecuteCommand(1, 0, modeSelect, parameters, 8), 2);
  EXPECT_EQ(transport.LastSense(1, 0), 0x052400);
  EXPECT_EQ(transport.state().SenseTable[16][13], 0x00);
  EXPECT_EQ(transport.state().SenseTable[16][14], 0) << "bytes 14 and 15 are never written";

  access_.answer = [](sg_io_hdr_t& h, int&) {
    h.host_status = 0x01;  // no connect
    return 0;
  };
  std::int32_t status = transport.ExecuteCommand(1, 0, modeSelect, parameters, 8);
  EXPECT_EQ(status, kLinuxStatusHostError + 0x0100);
  EXPECT_EQ(transport.LastSense(1, 0), 0) << "the slot gets the empty sense of the failure";
  EXPECT_NE(adapters.lastErrorText().find("host status 0x01"), std::string::npos);

  access_.answer = [](sg_io_hdr_t& h, int&) {
    h.status = 0x01;
    return 0;
  };
  EXPECT_NE(transport.ExecuteCommand(1, 0, modeSelect, parameters, 8), 1);
  access_.answer = [](sg_io_hdr_t&, int& error) {
    error = EIO;
    return -1;
  };
  EXPECT_EQ(transport.ExecuteCommand(1, 0, modeSelect, parameters, 8),
            kLinuxStatusSystemError + EIO);
}

TEST_F(LinuxHostAdaptersTest, ANodeWithoutPermissionSaysWhatIsNeeded) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  access_.refuseOpen[Dev("sg1")] = EACCES;
  access_.refuseReadOnly[Dev("sg1")] = EACCES;
  drive::InquiryInfo info;
  EXPECT_EQ(drive::InquireDrive(transport, 0, 0, info), 0);
  EXPECT_TRUE(access_.sent.empty());
  EXPECT_EQ(transport.state().SenseTable[0], SenseSlot{});
  EXPECT_EQ(adapters.lastErrorText(), "Permission denied opening " + Dev("sg1") +
                                          ". Run as root, or as a member of the group 'cdrom' "
                                          "that owns " +
                                          Dev("sg1") + ".");
}

TEST_F(LinuxHostAdaptersTest, WriteBufferOnANodeOpenForReadingOnlySaysItNeedsWriteAccess) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  access_.refuseOpen[Dev("sg1")] = EACCES;  // reading is allowed
  drive::InquiryInfo info;
  ASSERT_EQ(drive::InquireDrive(transport, 0, 0, info), 0x0501);
  EXPECT_EQ(adapters.lastErrorText(), "");

  access_.answer = [](sg_io_hdr_t& h, int& error) {
    if (h.cmdp[0] != 0x3B) return 0;
    error = EPERM;
    return -1;
  };
  const std::uint8_t writeBuffer[10] = {0x3B, 0x04, 0, 0, 0, 0, 0, 0x20, 0, 0};
  std::vector<std::uint8_t> chunk(8192);
  EXPECT_EQ(transport.ExecuteCommand(0, 0, writeBuffer, chunk.data(), 8192),
            kLinuxStatusSystemError + EPERM);
  EXPECT_EQ(adapters.lastErrorText(),
            "WRITE BUFFER (0x3B) was refused on " + Dev("sg1") +
                ", which could only be opened for reading: it needs write access. Run as root, "
                "or as a member of the group 'cdrom' that owns " +
                Dev("sg1") + ".");
}

TEST(LinuxStartTransportTest, AMachineWithoutScsiDevicesHasNoTransport) {
  FakeSysfsTree tree;
  FakeSgAccess access;
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters(SysfsScsiDiscovery(tree.sys(), tree.dev()), access);
  EXPECT_EQ(StartTransport(transport, &adapters), 0);
  EXPECT_FALSE(transport.HasHostBackend());
  EXPECT_EQ(StopTransport(transport), 0);
}

TEST_F(LinuxHostAdaptersTest, NoScsiStatusButGoodReadsAsSuccess) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  const std::uint8_t testUnitReady[6] = {};
  for (int scsiStatus = 0; scsiStatus < 256; ++scsiStatus) {
    access_.answer = [scsiStatus](sg_io_hdr_t& h, int&) {
      h.status = static_cast<unsigned char>(scsiStatus);
      h.driver_status = scsiStatus == 0 ? 0 : 0x08;
      return 0;
    };
    const std::int32_t status = transport.ExecuteCommand(1, 0, testUnitReady, nullptr, 0);
    EXPECT_EQ(status == 1, scsiStatus == 0) << scsiStatus;
  }
}

}  // namespace
}  // namespace korvel::transport

namespace korvel::transport {
namespace {

// The advice names what would really let the user in: a group only when that group may write
// the node, and the capability the kernel wants for WRITE BUFFER through a block node.
TEST_F(LinuxHostAdaptersTest, PermissionAdviceFitsTheNodesRightsAndKind) {
  const std::string rawio =
      " Through a block device node such as " + Dev("sr1") +
      ", an upgrade's WRITE BUFFER and REZERO UNIT also need the CAP_SYS_RAWIO capability (root); "
      "load the SCSI generic driver (modprobe sg) to upgrade through /dev/sg* with read and write "
      "access alone.";
  const struct {
    platform::linux_host::NodeRights rights;
    const char* node;
    std::string advice;
  } cases[] = {
      {{"cdrom", true, false},
       "sg1",
       "Run as root, or as a member of the group 'cdrom' that owns " + Dev("sg1") + "."},
      {{"root", false, false},
       "sg1",
       "Run as root, or give your user read and write access to " + Dev("sg1") +
           " (its group 'root' may not write it)."},
      {{"", false, false},
       "sg1",
       "Run as root, or give your user read and write access to " + Dev("sg1") + "."},
      {{"cdrom", true, true},
       "sg1",
       "Run as root, or as a member of the group 'cdrom' that owns " + Dev("sg1") + "."},
      {{"disk", false, true}, "sg1", "Run as root."},
      {{"cdrom", true, false},
       "sr1",
       "Run as root, or as a member of the group 'cdrom' that owns " + Dev("sr1") + "." + rawio},
  };
  for (const auto& c : cases) {
    platform::linux_host::LinuxPlatform machine(false);
    ScsiTransport transport(machine.platform());
    LinuxHostAdapters adapters = MakeAdapters();
    ASSERT_EQ(StartTransport(transport, &adapters), 2);
    access_.rights = c.rights;
    access_.refuseOpen[Dev(c.node)] = EACCES;
    access_.refuseReadOnly[Dev(c.node)] = EACCES;
    drive::InquiryInfo info;
    drive::InquireDrive(transport, c.node == std::string("sg1") ? 0 : 1, 0, info);
    EXPECT_EQ(adapters.lastErrorText(),
              "Permission denied opening " + Dev(c.node) + ". " + c.advice)
        << c.rights.group << ' ' << c.node;
    access_.refuseOpen.clear();
    access_.refuseReadOnly.clear();
  }
}

TEST_F(LinuxHostAdaptersTest, WriteBufferRefusedOnABlockNodeOpenForWritingNamesTheCapability) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  access_.answer = [](sg_io_hdr_t& h, int& error) {
    if (h.cmdp[0] != 0x3B && h.cmdp[0] != 0x01) return 0;
    error = EPERM;
    return -1;
  };
  const std::uint8_t writeBuffer[10] = {0x3B, 0x04, 0, 0, 0, 0, 0, 0x20, 0, 0};
  std::vector<std::uint8_t> chunk(8192);
  EXPECT_EQ(transport.ExecuteCommand(1, 0, writeBuffer, chunk.data(), 8192),
            kLinuxStatusSystemError + EPERM);
  const std::string needs =
      " although it is open for reading and writing: the kernel lets only a process with the "
      "CAP_SYS_RAWIO capability send it through a block device node. Run as root, or load the "
      "SCSI generic driver (modprobe sg) and use the drive's /dev/sg* node with read and write "
      "access.";
  EXPECT_EQ(adapters.lastErrorText(), "WRITE BUFFER (0x3B) was refused on " + Dev("sr1") + needs);
  const std::uint8_t rezero[6] = {0x01, 0, 0, 0, 0, 0};
  EXPECT_EQ(transport.ExecuteCommand(1, 0, rezero, nullptr, 0), kLinuxStatusSystemError + EPERM);
  EXPECT_EQ(adapters.lastErrorText(), "REZERO UNIT (0x01) was refused on " + Dev("sr1") + needs);
}

// A scan that could open no node must not read as "no drive here"; every node is named.
TEST_F(LinuxHostAdaptersTest, EveryNodeThatCouldNotBeOpenedIsNamedAndNoneOpenedIsTold) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  EXPECT_FALSE(adapters.CouldOpenNoNode()) << "nothing tried yet";
  access_.refuseOpen = {{Dev("sg1"), EACCES}, {Dev("sr1"), EACCES}};
  access_.refuseReadOnly = {{Dev("sg1"), EACCES}, {Dev("sr1"), ENOMEDIUM}};
  drive::InquiryInfo info;
  drive::InquireDrive(transport, 0, 0, info);
  EXPECT_FALSE(adapters.CouldOpenNoNode()) << "sr1 not tried yet";
  drive::InquireDrive(transport, 1, 0, info);
  EXPECT_TRUE(adapters.CouldOpenNoNode());
  const std::vector<std::string> failures = adapters.openFailures();
  ASSERT_EQ(failures.size(), 2u);
  EXPECT_EQ(failures[0].rfind("Permission denied opening " + Dev("sg1") + ". ", 0), 0u);
  EXPECT_EQ(failures[1].rfind("Permission denied opening " + Dev("sr1") + ". ", 0), 0u);

  // Once a node opens, the machine is no longer blind.
  access_.refuseOpen.erase(Dev("sg1"));
  drive::InquireDrive(transport, 0, 0, info);
  EXPECT_FALSE(adapters.CouldOpenNoNode());
  EXPECT_EQ(adapters.openFailures().size(), 1u);
}

// A driver that fetched the sense itself leaves the drive with "no sense" for the REQUEST SENSE
// that follows a failure; the sense that came back with the failure is handed over instead.
TEST_F(LinuxHostAdaptersTest, ARequestSenseAfterAFailureGetsTheSenseTheDriverFetched) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  const std::vector<std::uint8_t> refusal = {0x70, 0, 0x05, 0,    0, 0, 0, 10, 0,
                                             0,    0, 0,    0x20, 0, 0, 0, 0,  0};
  std::vector<std::uint8_t> driveAnswer = {0x70, 0, 0, 0};  // what the drive has left to say
  access_.answer = [&](sg_io_hdr_t& h, int&) {
    auto* data = static_cast<unsigned char*>(h.dxferp);
    if (h.cmdp[0] == 0x3B) {
      h.status = 0x02;
      h.driver_status = 0x08;
      std::memcpy(h.sbp, refusal.data(), refusal.size());
      h.sb_len_wr = static_cast<unsigned char>(refusal.size());
    } else if (h.cmdp[0] == 0x03) {
      std::memset(data, 0, h.dxfer_len);
      std::memcpy(data, driveAnswer.data(), std::min<std::size_t>(driveAnswer.size(), h.dxfer_len));
    }
    return 0;
  };
  const std::uint8_t writeBuffer[10] = {0x3B, 0x04, 0, 0, 0, 0, 0, 0x20, 0, 0};
  const std::uint8_t requestSense[6] = {0x03, 0, 0, 0, 18, 0};
  const std::uint8_t testUnitReady[6] = {0, 0, 0, 0, 0, 0};
  std::vector<std::uint8_t> chunk(8192);
  std::vector<std::uint8_t> sense(18, 0xAA);

  ASSERT_EQ(transport.ExecuteCommand(0, 0, writeBuffer, chunk.data(), 8192), 2);
  ASSERT_EQ(transport.ExecuteCommand(0, 0, requestSense, sense.data(), 18), 1);
  EXPECT_EQ(sense, refusal);

  // Handed over once: the next REQUEST SENSE gets what the drive says.
  ASSERT_EQ(transport.ExecuteCommand(0, 0, requestSense, sense.data(), 18), 1);
  EXPECT_EQ(sense[2], 0);
  EXPECT_EQ(sense[12], 0);

  // A command that succeeded in between leaves nothing to hand over.
  ASSERT_EQ(transport.ExecuteCommand(0, 0, writeBuffer, chunk.data(), 8192), 2);
  ASSERT_EQ(transport.ExecuteCommand(0, 0, testUnitReady, nullptr, 0), 1);
  ASSERT_EQ(transport.ExecuteCommand(0, 0, requestSense, sense.data(), 18), 1);
  EXPECT_EQ(sense[2], 0);

  // A drive that kept its own sense is believed; a short allocation gets a short copy.
  driveAnswer = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x04, 0x01, 0, 0, 0, 0};
  ASSERT_EQ(transport.ExecuteCommand(0, 0, writeBuffer, chunk.data(), 8192), 2);
  ASSERT_EQ(transport.ExecuteCommand(0, 0, requestSense, sense.data(), 18), 1);
  EXPECT_EQ(sense, driveAnswer);
  driveAnswer = {0x70, 0, 0};
  ASSERT_EQ(transport.ExecuteCommand(0, 0, writeBuffer, chunk.data(), 8192), 2);
  std::vector<std::uint8_t> shortSense(8, 0xAA);
  const std::uint8_t requestEight[6] = {0x03, 0, 0, 0, 8, 0};
  ASSERT_EQ(transport.ExecuteCommand(0, 0, requestEight, shortSense.data(), 8), 1);
  EXPECT_EQ(shortSense, std::vector<std::uint8_t>(refusal.begin(), refusal.begin() + 8));
}

}  // namespace
}  // namespace korvel::transport

namespace korvel::transport {
namespace {

// One command's fate as the kernel reports it. The device writes 0x11, 0x12, ... into the
// kernel's buffer; the caller's buffer held 0xA5 (data-in) or its parameter list (data-out).
struct BufferCase {
  const char* name;
  bool dataOut;
  int ioctlError;  // errno of a failed ioctl; 0 when the ioctl went through
  unsigned char scsiStatus;
  unsigned short hostStatus;
  unsigned short driverStatus;
  std::uint32_t deviceSent;  // bytes the device wrote
  int resid;
  bool succeeds;
  std::uint32_t filled;  // the first bytes of the caller's buffer that must be the device's
};

void PrintTo(const BufferCase& c, std::ostream* os) {
  *os << c.name;
}

constexpr std::uint32_t kBufferLength = 64;

class SgBufferTest : public LinuxHostAdaptersTest,
                     public ::testing::WithParamInterface<BufferCase> {};

TEST_P(SgBufferTest, KeepsAFailedOnesBufferFillsWhatCame) {
  const BufferCase& c = GetParam();
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  access_.answer = [&c](sg_io_hdr_t& h, int& error) {
    if (c.ioctlError != 0) {
      error = c.ioctlError;
      return -1;
    }
    auto* data = static_cast<unsigned char*>(h.dxferp);
    for (std::uint32_t i = 0; !c.dataOut && i < c.deviceSent; ++i) data[i] = 0x11 + i;
    h.status = c.scsiStatus;
    h.host_status = c.hostStatus;
    h.driver_status = c.driverStatus;
    h.resid = c.resid;
    if (c.scsiStatus == 0x02) {
      const unsigned char sense[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0};
      std::memcpy(h.sbp, sense, sizeof sense);
      h.sb_len_wr = sizeof sense;
      h.driver_status |= 0x08;
    }
    return 0;
  };
  const std::uint8_t modeSense[6] = {0x1A, 0x00, 0x3F, 0x00, kBufferLength, 0x00};
  const std::uint8_t modeSelect[6] = {0x15, 0x10, 0x00, 0x00, kBufferLength, 0x00};
  std::vector<std::uint8_t> buffer(kBufferLength, 0xA5);
  for (std::uint32_t i = 0; c.dataOut && i < kBufferLength; ++i) buffer[i] = 0x40 + i;
  const std::vector<std::uint8_t> before = buffer;

  const std::int32_t status = transport.ExecuteCommand(0, 0, c.dataOut ? modeSelect : modeSense,
                                                       buffer.data(), kBufferLength);
  EXPECT_EQ(status == 1, c.succeeds) << status;
  std::vector<std::uint8_t> expected = before;
  for (std::uint32_t i = 0; i < c.filled; ++i) expected[i] = 0x11 + i;
  EXPECT_EQ(buffer, expected);

  // The device is asked exactly as before: the whole transfer length, the caller's CDB, and
  // for data-out the caller's bytes.
  ASSERT_FALSE(access_.sent.empty());
  const FakeSgAccess::Sent& sent = access_.sent.back();
  EXPECT_EQ(sent.header.dxfer_len, kBufferLength);
  EXPECT_EQ(sent.header.dxfer_direction, c.dataOut ? SG_DXFER_TO_DEV : SG_DXFER_FROM_DEV);
  EXPECT_EQ(sent.cdb[0], c.dataOut ? 0x15 : 0x1A);
  if (c.dataOut) {
    EXPECT_EQ(sent.dataOut, before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SgBufferTest,
    ::testing::Values(
        BufferCase{"GoodFullAnswer", false, 0, 0x00, 0, 0, 64, 0, true, 64},
        BufferCase{"GoodShortAnswer", false, 0, 0x00, 0, 0, 20, 44, true, 20},
        BufferCase{"GoodWithResidPastTheLength", false, 0, 0x00, 0, 0, 64, 100, true, 0},
        BufferCase{"GoodWithNegativeResid", false, 0, 0x00, 0, 0, 64, -8, true, 64},
        BufferCase{"CheckConditionWithoutResidue", false, 0, 0x02, 0, 0, 0, 0, false, 0},
        BufferCase{"CheckConditionAfterSomeData", false, 0, 0x02, 0, 0, 12, 52, false, 0},
        BufferCase{"Busy", false, 0, 0x08, 0, 0, 0, 0, false, 0},
        BufferCase{"ReservedStatusOne", false, 0, 0x01, 0, 0, 64, 0, false, 0},
        BufferCase{"HostNoConnect", false, 0, 0x00, 0x01, 0, 0, 0, false, 0},
        BufferCase{"HostErrorAfterTheData", false, 0, 0x00, 0x07, 0, 64, 0, false, 0},
        BufferCase{"DriverTimeout", false, 0, 0x00, 0, 0x06, 64, 0, false, 0},
        BufferCase{"IoctlError", false, EIO, 0x00, 0, 0, 0, 0, false, 0},
        BufferCase{"DataOutGood", true, 0, 0x00, 0, 0, 0, 0, true, 0},
        BufferCase{"DataOutRefused", true, 0, 0x02, 0, 0, 0, 0, false, 0}),
    [](const ::testing::TestParamInfo<BufferCase>& info) { return info.param.name; });

// A driver that fetched the sense itself and a drive that answers the REQUEST SENSE after the
// failure with 4 bytes of "no sense" (sym53c8xx with QEMU): the kernel zeroes the 14 bytes the
// drive left out, and the caller still gets the whole sense of the failure.
TEST_F(LinuxHostAdaptersTest, AShortNoSenseAnswerAfterAFailureGetsTheFetchedSense) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  const std::vector<std::uint8_t> refusal = {0x70, 0, 0x05, 0,    0, 0, 0, 10, 0,
                                             0,    0, 0,    0x20, 0, 0, 0, 0,  0};
  access_.answer = [&](sg_io_hdr_t& h, int&) {
    if (h.cmdp[0] == 0x3B) {
      h.status = 0x02;
      h.driver_status = 0x08;
      std::memcpy(h.sbp, refusal.data(), refusal.size());
      h.sb_len_wr = static_cast<unsigned char>(refusal.size());
    } else if (h.cmdp[0] == 0x03) {
      const unsigned char noSense[4] = {0x70, 0, 0, 0};
      std::memcpy(h.dxferp, noSense, sizeof noSense);
      h.resid = static_cast<int>(h.dxfer_len) - 4;
    }
    return 0;
  };
  const std::uint8_t writeBuffer[10] = {0x3B, 0x04, 0, 0, 0, 0, 0, 0x20, 0, 0};
  const std::uint8_t requestSense[6] = {0x03, 0, 0, 0, 18, 0};
  std::vector<std::uint8_t> chunk(8192);
  std::vector<std::uint8_t> sense(18, 0xA5);
  ASSERT_EQ(transport.ExecuteCommand(0, 0, writeBuffer, chunk.data(), 8192), 2);
  ASSERT_EQ(transport.ExecuteCommand(0, 0, requestSense, sense.data(), 18), 1);
  EXPECT_EQ(sense, refusal);
  // Nothing to hand over now: only the 4 bytes the drive sent change the buffer.
  sense.assign(18, 0xA5);
  ASSERT_EQ(transport.ExecuteCommand(0, 0, requestSense, sense.data(), 18), 1);
  std::vector<std::uint8_t> expected(18, 0xA5);
  expected[0] = 0x70;
  expected[1] = expected[2] = expected[3] = 0;
  EXPECT_EQ(sense, expected);
}

}  // namespace
}  // namespace korvel::transport

namespace korvel::transport {
namespace {

using platform::linux_host::NodeDevice;

// The drive at 0:0 is sg1 with sr0; the one at 1:0 has the block node sr1 alone.
class DriveHoldTest : public LinuxHostAdaptersTest {
 protected:
  DriveHoldTest() {
    options_.procRoot = tree_.root() / "proc";
    options_.ownPid = 1;
    options_.sleep = [this](std::chrono::milliseconds span) {
      sleeps_.push_back(span);
      if (onSleep_) onSleep_();
    };
    std::filesystem::create_directories(options_.procRoot);
    // The sg node as the kernel numbers /dev/null, so that a process of the fake /proc that
    // holds /dev/null open holds the drive.
    access_.devices[Dev("sg1")] = NodeDevice{makedev(1, 3), false};
    access_.devices[Dev("sr0")] = NodeDevice{makedev(11, 0), true};
  }

  void AddProcess(const std::string& pid, const char* comm) {
    const auto folder = options_.procRoot / pid;
    std::filesystem::create_directories(folder / "fd");
    if (comm != nullptr) FakeSysfsTree::Write(folder / "comm", comm);
    std::filesystem::create_symlink("/dev/null", folder / "fd" / "3");
  }

  std::int32_t WriteBuffer(ScsiTransport& transport, std::uint8_t adapter) {
    const std::uint8_t writeBuffer[10] = {0x3B, 0x04, 0, 0, 0, 0, 0, 0x20, 0, 0};
    std::vector<std::uint8_t> chunk(8192);
    return transport.ExecuteCommand(adapter, 0, writeBuffer, chunk.data(), 8192);
  }

  FlashHoldOptions options_;
  std::vector<std::chrono::milliseconds> sleeps_;
  std::function<void()> onSleep_;
};

TEST_F(DriveHoldTest, LocksThenClaimsThenOpensExclusivelyAndTheCommandsUseThatDescriptor) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  drive::InquiryInfo info;
  ASSERT_EQ(drive::InquireDrive(transport, 0, 0, info), 0x0501);
  access_.calls.clear();

  platform::HoldResult held = adapters.HoldForFlash(0, 0, options_);
  ASSERT_TRUE(held.hold);
  EXPECT_EQ(held.refusal, "");
  EXPECT_TRUE(held.notes.empty());
  EXPECT_EQ(access_.calls, (std::vector<std::string>{
                               "open sr0 RDONLY|NONBLOCK|CLOEXEC",
                               "flock sr0 EX|NB",
                               "open sr0 RDONLY|NONBLOCK|EXCL|CLOEXEC",
                               "close sg1",
                               "open sg1 RDWR|NONBLOCK|EXCL|CLOEXEC",
                           }));
  EXPECT_TRUE(sleeps_.empty());
  const int exclusive = access_.lastFd;

  ASSERT_EQ(WriteBuffer(transport, 0), 1);
  EXPECT_EQ(access_.sent.back().fd, exclusive);
  EXPECT_EQ(access_.sent.back().node, Dev("sg1"));
  EXPECT_FALSE(adapters.FlashLockHeldElsewhere(0, 0)) << "its own hold is no other program's";
  EXPECT_EQ(access_.calls.size(), 5u) << "nothing opened for the command";

  access_.calls.clear();
  held.hold.reset();
  EXPECT_EQ(access_.calls, (std::vector<std::string>{"close sg1", "close sr0", "close sr0"}))
      << "the lock goes last";
  EXPECT_EQ(access_.OpenDescriptors(), 0u);
  access_.calls.clear();
  ASSERT_EQ(WriteBuffer(transport, 0), 1);
  EXPECT_EQ(access_.calls, (std::vector<std::string>{"open sg1 RDWR|NONBLOCK"}));
  EXPECT_NE(access_.sent.back().fd, exclusive);
}

// A second program finds the lock taken: it is told at once that the drive is being flashed,
// and a command of its own is refused with the same news.
TEST_F(DriveHoldTest, ASecondProgramIsToldThatAnotherIsFlashingTheDrive) {
  LinuxHostAdapters first = MakeAdapters();
  first.MapAdapters();
  platform::HoldResult held = first.HoldForFlash(0, 0, options_);
  ASSERT_TRUE(held.hold);

  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters second = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &second), 2);
  EXPECT_TRUE(second.FlashLockHeldElsewhere(0, 0));
  drive::InquiryInfo info;
  EXPECT_EQ(drive::InquireDrive(transport, 0, 0, info), 0);
  EXPECT_EQ(second.lastErrorText(), "Cannot open " + Dev("sg1") +
                                        ": another program is flashing drive 0:0 (" + Dev("sg1") +
                                        ", " + Dev("sr0") + "); wait until it has finished.");
  const platform::HoldResult refused = second.HoldForFlash(0, 0, options_);
  EXPECT_FALSE(refused.hold);
  EXPECT_EQ(refused.refusal, "drive 0:0 (" + Dev("sg1") + ", " + Dev("sr0") +
                                 ") is being flashed by another program; wait until it has "
                                 "finished");

  held.hold.reset();
  EXPECT_FALSE(second.FlashLockHeldElsewhere(0, 0));
  EXPECT_EQ(drive::InquireDrive(transport, 0, 0, info), 0x0501);
  EXPECT_TRUE(second.HoldForFlash(0, 0, options_).hold);
}

TEST_F(DriveHoldTest, ANodeHeldExclusivelyWithoutTheLockIsProbablyBeingFlashed) {
  platform::linux_host::LinuxPlatform machine(false);
  ScsiTransport transport(machine.platform());
  LinuxHostAdapters adapters = MakeAdapters();
  ASSERT_EQ(StartTransport(transport, &adapters), 2);
  access_.othersExclusive.insert(Dev("sg1"));
  drive::InquiryInfo info;
  EXPECT_EQ(drive::InquireDrive(transport, 0, 0, info), 0);
  EXPECT_EQ(adapters.lastErrorText(),
            "Cannot open " + Dev("sg1") + ": drive 0:0 (" + Dev("sg1") + ", " + Dev("sr0") +
                ") is held exclusively by another program, probably one flashing it; wait until "
                "it has finished.");
  EXPECT_FALSE(adapters.FlashLockHeldElsewhere(0, 0));
}

TEST_F(DriveHoldTest, TheExclusiveOpenWaitsForAProgramThatLetsGo) {
  LinuxHostAdapters adapters = MakeAdapters();
  adapters.MapAdapters();
  access_.othersOpen[Dev("sg1")] = 1;
  onSleep_ = [this] {
    if (sleeps_.size() == 3) access_.othersOpen[Dev("sg1")] = 0;
  };
  const platform::HoldResult held = adapters.HoldForFlash(0, 0, options_);
  EXPECT_TRUE(held.hold);
  EXPECT_EQ(held.refusal, "");
  EXPECT_EQ(sleeps_, std::vector<std::chrono::milliseconds>(3, std::chrono::milliseconds(100)));
}

struct RefusalCase {
  const char* name;
  // What other programs hold, by node name.
  std::vector<const char*> locked;   // flock taken
  std::vector<const char*> claimed;  // mounted or claimed exclusively
  std::vector<const char*> open;     // open descriptors
  // Processes of the fake /proc that hold sg1 (/dev/null); comm null for none.
  std::vector<std::pair<const char*, const char*>> processes;
  bool procUnreadable;
  std::uint8_t adapter;
  std::uint8_t target;
  // With "SG1", "SR0" and "SR1" for the nodes' paths.
  std::string refusal;
  std::size_t sleeps;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class DriveHoldRefusalTest : public DriveHoldTest,
                             public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DriveHoldRefusalTest, RefusesWithATextThatNamesTheDriveAndLeavesNothingHeld) {
  const RefusalCase& c = GetParam();
  for (const char* node : c.locked) access_.othersLock.insert(Dev(node));
  for (const char* node : c.claimed) access_.othersClaim.insert(Dev(node));
  for (const char* node : c.open) access_.othersOpen[Dev(node)] = 1;
  for (const auto& [pid, comm] : c.processes) AddProcess(pid, comm);
  if (c.procUnreadable) options_.procRoot = tree_.root() / "no-proc";
  LinuxHostAdapters adapters = MakeAdapters();
  adapters.MapAdapters();
  const platform::HoldResult held = adapters.HoldForFlash(c.adapter, c.target, options_);
  EXPECT_FALSE(held.hold);
  std::string expected = c.refusal;
  for (const char* node : {"SG1", "SR0", "SR1"}) {
    const std::string lower = {static_cast<char>(node[0] + 32), static_cast<char>(node[1] + 32),
                               node[2]};
    for (std::size_t at; (at = expected.find(node)) != std::string::npos;) {
      expected.replace(at, 3, Dev(lower.c_str()));
    }
  }
  EXPECT_EQ(held.refusal, expected);
  EXPECT_EQ(sleeps_.size(), c.sleeps);
  EXPECT_EQ(access_.OpenDescriptors(), 0u) << "no lock, claim or descriptor kept";
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, DriveHoldRefusalTest,
    ::testing::Values(
        RefusalCase{"another program holds the lock",
                    {"sr0"},
                    {},
                    {},
                    {},
                    false,
                    0,
                    0,
                    "drive 0:0 (SG1, SR0) is being flashed by another program; wait until it has "
                    "finished",
                    2},
        RefusalCase{"the disc is mounted",
                    {},
                    {"sr0"},
                    {},
                    {},
                    false,
                    0,
                    0,
                    "drive 0:0 (SG1, SR0) is mounted or in use by another program: the kernel "
                    "will not let SR0 be claimed for the flash alone; unmount it and close the "
                    "program using it",
                    0},
        RefusalCase{"the disc of a drive without sg node is mounted",
                    {},
                    {"sr1"},
                    {},
                    {},
                    false,
                    1,
                    0,
                    "drive 1:0 (SR1) is mounted or in use by another program: the kernel will not "
                    "let SR1 be claimed for the flash alone; unmount it and close the program "
                    "using it",
                    0},
        RefusalCase{"one program keeps the sg node open",
                    {},
                    {},
                    {"sg1"},
                    {{"4242", "wodim\n"}},
                    false,
                    0,
                    0,
                    "drive 0:0 (SG1, SR0) is held open by another program: PID 4242 (wodim); "
                    "close it and try again",
                    30},
        RefusalCase{"two programs keep it open, one without a name",
                    {},
                    {},
                    {"sg1"},
                    {{"4343", nullptr}, {"4242", "wodim\n"}},
                    false,
                    0,
                    0,
                    "drive 0:0 (SG1, SR0) is held open by other programs: PID 4242 (wodim), PID "
                    "4343; close them and try again",
                    30},
        RefusalCase{"the processes cannot be looked at",
                    {},
                    {},
                    {"sg1"},
                    {},
                    true,
                    0,
                    0,
                    "drive 0:0 (SG1, SR0) is held open by another program; close it and try "
                    "again (other users' processes could not be checked)",
                    30},
        RefusalCase{"no drive there", {}, {}, {}, {}, false, 0, 5, "no drive is mapped at 0:5", 0}),
    case_names::FromMember<&RefusalCase::name>{});

// A block node the user may not open leaves the sg node, held alone, as the lock: nothing to
// tell. Only when the sg node cannot be held alone either is the missing lock worth a note.
TEST_F(DriveHoldTest, ABlockNodeThatCannotBeOpenedLeavesTheSgNodeAsTheLock) {
  LinuxHostAdapters adapters = MakeAdapters();
  adapters.MapAdapters();
  access_.refuseReadOnly[Dev("sr0")] = EACCES;
  platform::HoldResult held = adapters.HoldForFlash(0, 0, options_);
  ASSERT_TRUE(held.hold);
  EXPECT_EQ(held.notes, std::vector<std::string>{});
  EXPECT_EQ(access_.calls.back(), "open sg1 RDWR|NONBLOCK|EXCL|CLOEXEC");
  held.hold.reset();

  access_.refuseOpen[Dev("sg1")] = EACCES;
  held = adapters.HoldForFlash(0, 0, options_);
  ASSERT_TRUE(held.hold);
  EXPECT_EQ(held.notes,
            (std::vector<std::string>{
                Dev("sg1") + " could not be held for the flash alone: Permission "
                             "denied.",
                "The flash lock on " + Dev("sr0") + " could not be taken: Permission denied."}));
}

TEST_F(DriveHoldTest, ADriveWithoutSgNodeIsLockedAndClaimed) {
  LinuxHostAdapters adapters = MakeAdapters();
  adapters.MapAdapters();
  const platform::HoldResult held = adapters.HoldForFlash(1, 0, options_);
  ASSERT_TRUE(held.hold);
  EXPECT_EQ(access_.calls, (std::vector<std::string>{
                               "open sr1 RDONLY|NONBLOCK|CLOEXEC",
                               "flock sr1 EX|NB",
                               "open sr1 RDONLY|NONBLOCK|EXCL|CLOEXEC",
                           }));
  EXPECT_EQ(adapters.DriveNameOf(1, 0), "1:0 (" + Dev("sr1") + ")");
  EXPECT_EQ(adapters.DriveNameOf(0, 0), "0:0 (" + Dev("sg1") + ", " + Dev("sr0") + ")");
  EXPECT_EQ(adapters.DriveNameOf(7, 15), "7:15");
}

}  // namespace
}  // namespace korvel::transport
