#include "platform/linux/MountInfo.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include "platform/linux/tests/FakeSysfsTree.h"

namespace korvel::platform::linux_host {
namespace {

using testing::FakeSysfsTree;

// A mount table as the kernel writes it, with the junk a damaged or foreign file could hold.
const char kMountInfo[] =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "31 28 11:0 / /media/cdrom ro,relatime shared:1 - iso9660 /dev/sr0 ro\n"
    "32 28 11:0 / /media/my\\040disc\\011one ro - udf /dev/sr0 ro\n"
    "33 28 11:0 /sub /srv/bind\\134x ro - iso9660 /dev/sr0 ro\n"
    "34 28 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "35 28 11:1 / /media/other ro - iso9660 /dev/sr1 ro\n"
    "36 28 11:00 / /media/leading-zero ro - iso9660 /dev/sr0 ro\n"
    "garbage\n"
    "\n"
    "37 28 11 / /media/no-colon ro - iso9660 /dev/sr0 ro\n"
    "38 28 11:x / /media/letters ro - iso9660 /dev/sr0 ro\n"
    "39 28 :0 / /media/no-major ro - iso9660 /dev/sr0 ro\n"
    "40 28 11:0 /\n"
    "41 28 11:0 / /media/odd\\9\\04 ro - iso9660 /dev/sr0 ro\n"
    "42 28 259:65536 / /media/big ro - iso9660 /dev/sr9 ro\n";

TEST(MountInfoTest, FindsEveryMountPointOfTheDeviceNumberAndUndoesTheEscapes) {
  FakeSysfsTree tree;
  const auto file = tree.root() / "mountinfo";
  FakeSysfsTree::Write(file, kMountInfo);
  const struct {
    dev_t device;
    std::vector<std::string> points;
  } cases[] = {
      {makedev(11, 0),
       {"/media/cdrom", "/media/my disc\tone", "/srv/bind\\x", "/media/leading-zero",
        "/media/odd\\9\\04"}},
      {makedev(11, 1), {"/media/other"}},
      {makedev(259, 65536), {"/media/big"}},
      {makedev(0, 21), {"/proc"}},
      {makedev(11, 2), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MountPointsOfDevice(c.device, file), c.points)
        << major(c.device) << ':' << minor(c.device);
  }
}

TEST(MountInfoTest, AFileThatCannotBeReadHasNoMountPoints) {
  FakeSysfsTree tree;
  EXPECT_TRUE(MountPointsOfDevice(makedev(11, 0), tree.root() / "absent").empty());
  EXPECT_TRUE(MountPointsOfDevice(makedev(11, 0), tree.root()).empty()) << "a directory";
}

TEST(MountInfoTest, TheRealTableListsTheRootFileSystem) {
  struct stat info {};
  ASSERT_EQ(::stat("/", &info), 0);
  const std::vector<std::string> points = MountPointsOfDevice(info.st_dev);
  EXPECT_NE(std::find(points.begin(), points.end(), "/"), points.end());
}

}  // namespace
}  // namespace korvel::platform::linux_host
