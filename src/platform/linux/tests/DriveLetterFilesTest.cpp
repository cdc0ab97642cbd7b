// Drive paths on the Linux machine: a letter leads to its drive's block device, the mounts file
// to the mount point, and each name is matched there without regard to letter case.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/DriveLetterTable.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/tests/FakeSysfsTree.h"
#include "platform/testing/CaseNames.h"

namespace korvel::platform::linux_host {
namespace {

using testing::FakeSysfsTree;

constexpr DWORD kMissing = INVALID_FILE_ATTRIBUTES;

class DriveLetterFilesTest : public ::testing::Test {
 protected:
  DriveLetterFilesTest() {
    const auto disc = tree_.root() / "media" / "video cd";
    std::filesystem::create_directories(disc / "MPEGAV");
    std::filesystem::create_directories(disc / "VCD");
    std::filesystem::create_directories(disc / "CDI");
    std::filesystem::create_directories(disc / "cdi");
    FakeSysfsTree::Write(disc / "VCD" / "INFO.VCD", "info");
    FakeSysfsTree::Write(disc / "readme.txt", "text");
    std::filesystem::create_directories(tree_.root() / "outside" / "SECRET");
    std::filesystem::create_directory_symlink(tree_.root() / "outside", disc / "LINK");
    // The blank in the mount point is written as the mounts file escapes it.
    FakeSysfsTree::Write(tree_.root() / "mounts", "/dev/sda1 / ext4 rw 0 0\n/dev/korvel-sr1 " +
                                                      (tree_.root() / "media").string() +
                                                      "/video\\040cd iso9660 ro 0 0\n");
    letters_.Assign('D', "/dev/korvel-sr0");
    letters_.Assign('E', "/dev/korvel-sr1");
    letters_.Assign('F', "");
  }

  struct Answer {
    DWORD attributes;
    DWORD error;
  };
  Answer Ask(const char* path) {
    const DWORD attributes = files_.GetFileAttributesA(path);
    return {attributes, attributes == kMissing ? files_.GetLastError() : ERROR_SUCCESS};
  }

  FakeSysfsTree tree_;
  DriveLetterTable letters_;
  PosixFileSystem files_{&letters_, tree_.root() / "mounts"};
};

struct PathCase {
  const char* path;
  DWORD attributes;
  DWORD error;
};

void PrintTo(const PathCase& c, std::ostream* os) {
  case_names::PrintText(c.path, os);
}

class DriveLetterPathTest : public DriveLetterFilesTest,
                            public ::testing::WithParamInterface<PathCase> {};

TEST_P(DriveLetterPathTest, AnswersAsWindowsWouldOnTheDrive) {
  const Answer answer = Ask(GetParam().path);
  EXPECT_EQ(answer.attributes, GetParam().attributes);
  EXPECT_EQ(answer.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DriveLetterPathTest,
    ::testing::Values(PathCase{"E:\\", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"E:\\Vcd", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"e:\\mpegav", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"E:\\Cdi", FILE_ATTRIBUTE_DIRECTORY, ERROR_SUCCESS},
                      PathCase{"E:\\vcd\\info.vcd", FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
                      PathCase{"E:/README.TXT", FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
                      PathCase{"E:\\Photo_cd", kMissing, ERROR_FILE_NOT_FOUND},
                      PathCase{"E:\\Photo_cd\\x", kMissing, ERROR_PATH_NOT_FOUND},
                      PathCase{"E:\\readme.txt\\x", kMissing, ERROR_PATH_NOT_FOUND},
                      // A link on the disc is not followed out of the mount point.
                      PathCase{"E:\\Link", FILE_ATTRIBUTE_NORMAL, ERROR_SUCCESS},
                      PathCase{"E:\\Link\\Secret", kMissing, ERROR_PATH_NOT_FOUND},
                      PathCase{"E:\\..\\..\\outside", kMissing, ERROR_FILE_NOT_FOUND},
                      PathCase{"D:\\Vcd", kMissing, ERROR_NOT_READY},
                      PathCase{"F:\\", kMissing, ERROR_NOT_READY},
                      PathCase{"Z:\\Vcd", kMissing, ERROR_PATH_NOT_FOUND}));

TEST_F(DriveLetterFilesTest, TheExactSpellingWinsOverAnotherCase) {
  std::filesystem::remove(tree_.root() / "media" / "video cd" / "CDI");
  FakeSysfsTree::Write(tree_.root() / "media" / "video cd" / "CDI", "a file now");
  EXPECT_EQ(Ask("E:\\cdi").attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(Ask("E:\\CDI").attributes, FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DriveLetterFilesTest, HostPathsAreStillHostPaths) {
  EXPECT_EQ(Ask((tree_.root() / "outside").c_str()).attributes, FILE_ATTRIBUTE_DIRECTORY);
  PosixFileSystem withoutLetters;
  EXPECT_EQ(withoutLetters.GetFileAttributesA("E:\\Vcd"), kMissing);
  EXPECT_EQ(withoutLetters.GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(DriveLetterFilesTest, AMountPointThatIsGoneIsNotReady) {
  std::filesystem::remove_all(tree_.root() / "media");
  EXPECT_EQ(Ask("E:\\Vcd").error, ERROR_NOT_READY);
}

}  // namespace
}  // namespace korvel::platform::linux_host
