#include "platform/linux/SysfsScsiDiscovery.h"

#include <gtest/gtest.h>

#include "platform/linux/MountTable.h"
#include "platform/linux/tests/FakeSysfsTree.h"
#include "platform/testing/CaseNames.h"

namespace korvel::platform::linux_host {
namespace {

using testing::FakeSysfsTree;

TEST(SysfsScsiDiscoveryTest, ListsEveryDeviceInAddressOrderWithItsNodes) {
  FakeSysfsTree tree;
  tree.AddDevice("12:0:0:0", 5, "KORVEL  ", "CD-ROM          ", "3.00", "", "sr1");
  tree.AddDevice("1:0:0:0", 5, "KORVEL  ", "CD-R   RZ5140   ", "1.00", "sg1", "sr0");
  tree.AddDevice("0:0:0:0", 0, "ATA     ", "SOME DISK       ", "0001", "sg0", "sda");
  // An older kernel links the sg node as "scsi_generic:sg3" beside the attributes.
  auto old = tree.AddDevice("12:0:1:0", 5, "X", "Y", "Z", "", "");
  std::filesystem::create_directories(old / "scsi_generic:sg3");
  std::filesystem::create_directories(tree.sys() / "class" / "scsi_device" / "not-an-address");

  const std::vector<SysfsScsiDevice> devices = SysfsScsiDiscovery(tree.sys(), tree.dev()).Devices();
  ASSERT_EQ(devices.size(), 4u);
  EXPECT_EQ(devices[0].host, 0);
  EXPECT_EQ(devices[0].peripheralType, 0);
  const SysfsScsiDevice& atapi = devices[1];
  EXPECT_EQ(atapi.host, 1);
  EXPECT_EQ(atapi.vendor, "KORVEL  ") << "trailing blanks belong to the field";
  EXPECT_EQ(atapi.product, "CD-R   RZ5140   ");
  EXPECT_EQ(atapi.revision, "1.00");
  EXPECT_EQ(atapi.sgNode, (tree.dev() / "sg1").string());
  EXPECT_EQ(atapi.blockNode, (tree.dev() / "sr0").string());
  EXPECT_EQ(devices[2].host, 12);
  EXPECT_EQ(devices[2].sgNode, "") << "no sg node";
  EXPECT_EQ(devices[2].blockNode, (tree.dev() / "sr1").string());
  EXPECT_EQ(devices[3].target, 1);
  EXPECT_EQ(devices[3].sgNode, (tree.dev() / "sg3").string());
}

TEST(SysfsScsiDiscoveryTest, PrefersTheRawInquiryDataToTheTextAttributes) {
  FakeSysfsTree tree;
  auto device = tree.AddDevice("2:0:3:0", 5, "TRIMMED", "TRIMMED", "X", "sg2", "");
  std::string inquiry(36, ' ');
  inquiry[0] = 0x05;
  inquiry.replace(8, 8, std::string("KORV\0L  ", 8));
  inquiry.replace(16, 16, "CD-R            ");
  inquiry.replace(32, 4, "2.00");
  FakeSysfsTree::Write(device / "inquiry", inquiry);
  const auto devices = SysfsScsiDiscovery(tree.sys(), tree.dev()).Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].vendor, std::string("KORV\0L  ", 8));
  EXPECT_EQ(devices[0].product, "CD-R            ");
  EXPECT_EQ(devices[0].revision, "2.00");
}

class UnreadableAttributeTest : public ::testing::TestWithParam<const char*> {};

// Whichever attribute cannot be read, its device alone is left out and named.
TEST_P(UnreadableAttributeTest, SkipsThatDeviceAloneAndSaysWhy) {
  FakeSysfsTree tree;
  tree.AddDevice("0:0:1:0", 5, "KORVEL  ", "CD-ROM          ", "1.00", "sg0", "sr0");
  auto broken = tree.AddDevice("0:0:2:0", 5, "KORVEL  ", "CD-ROM          ", "1.00", "sg1", "");
  tree.AddDevice("0:0:3:0", 5, "KORVEL  ", "CD-ROM          ", "1.00", "sg2", "");
  std::filesystem::remove(broken / GetParam());
  std::filesystem::create_directory(broken / GetParam());

  const SysfsScsiDiscovery::Scan scan = SysfsScsiDiscovery(tree.sys(), tree.dev()).ScanDevices();
  ASSERT_EQ(scan.devices.size(), 2u);
  EXPECT_EQ(scan.devices[0].target, 1);
  EXPECT_EQ(scan.devices[1].target, 3);
  ASSERT_EQ(scan.skipped.size(), 1u);
  EXPECT_EQ(scan.skipped[0], "0:0:2:0: skipped, " + (broken / GetParam()).string() +
                                 " cannot be read: Is a directory");
}

INSTANTIATE_TEST_SUITE_P(EveryAttributeRead, UnreadableAttributeTest,
                         ::testing::Values("type", "inquiry", "vendor", "model", "rev"),
                         case_names::FromText{});

TEST(SysfsScsiDiscoveryTest, AShortInquiryAttributeFallsBackToTheTextAttributes) {
  FakeSysfsTree tree;
  auto device = tree.AddDevice("2:0:3:0", 5, "KORVEL  ", "CD-ROM          ", "1.00", "sg2", "");
  FakeSysfsTree::Write(device / "inquiry", std::string(35, 'X'));
  const auto devices = SysfsScsiDiscovery(tree.sys(), tree.dev()).Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].vendor, "KORVEL  ");
  EXPECT_EQ(devices[0].revision, "1.00");
}

TEST(SysfsScsiDiscoveryTest, AMachineWithoutScsiDevicesListsNothing) {
  EXPECT_TRUE(SysfsScsiDiscovery("/nonexistent-sysfs-root", "/dev").Devices().empty());
}

TEST(MountTableTest, FindsTheFirstMountPointAndUndoesTheEscapes) {
  FakeSysfsTree tree;
  const auto mounts = tree.root() / "mounts";
  FakeSysfsTree::Write(mounts,
                       "/dev/sda1 / ext4 rw 0 0\n"
                       "/dev/sr0 /media/My\\040Disc iso9660 ro 0 0\n"
                       "/dev/sr0 /mnt/second iso9660 ro 0 0\n");
  EXPECT_EQ(MountPointOf("/dev/sr0", mounts), "/media/My Disc");
  EXPECT_EQ(MountPointOf("/dev/sr1", mounts), "");
  EXPECT_EQ(MountPointOf("/dev/sr0", tree.root() / "missing"), "");
}

}  // namespace
}  // namespace korvel::platform::linux_host
