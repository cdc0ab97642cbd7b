#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "platform/linux/PosixVolumes.h"
#include "utilities/FreeDiskBytes.h"
#include "utilities/tests/HostPc.h"

namespace korvel::utilities {
namespace {

using testing::HostPc;

TEST(FreeDiskBytesTest, ClustersTimesSectorsTimesBytesIn64Bits) {
  HostPc host(R"({"os":"win98","drives":{"A":"removable",
      "C":{"type":"fixed","sectors_per_cluster":64,"bytes_per_sector":512,"free_clusters":"0xFFFFFFFF"},
      "D":{"type":"fixed","free_clusters":1000}}})");
  const struct {
    char letter;
    std::uint64_t bytes;
  } cases[] = {{'C', 32768ull * 0xFFFFFFFFull},  // far beyond 4 GiB, exact
               {'c', 32768ull * 0xFFFFFFFFull},
               {'D', 4096000},
               {'A', 0},  // no medium
               {'Q', 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(FreeDiskBytes(host.pc.platform().volumes, c.letter), c.bytes) << c.letter;
  }
}

// Answers with fixed counts, and writes down the root it was asked for.
class FixedVolumes : public platform::Volumes {
 public:
  platform::BOOL GetDiskFreeSpaceA(const char* root, platform::DWORD* spc, platform::DWORD* bps,
                                   platform::DWORD* free, platform::DWORD* total) override {
    asked = root;
    *spc = *bps = *free = *total = 0xFFFFFFFFu;
    return 1;
  }
  std::string asked;
};

TEST(FreeDiskBytesTest, AnAnswerBeyond64BitsSaturates) {
  FixedVolumes volumes;
  EXPECT_EQ(FreeDiskBytes(volumes, 'E'), std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(volumes.asked, "E:\\");
}

TEST(FreeDiskBytesTest, LinuxHasNoDriveLettersButAnswersForItsOwnPaths) {
  platform::linux_host::PosixVolumes volumes;
  EXPECT_EQ(FreeDiskBytes(volumes, 'C'), 0u);
  platform::DWORD spc = 0, bps = 0, free = 0, total = 0;
  EXPECT_EQ(volumes.GetDiskFreeSpaceA("/", &spc, &bps, &free, &total), 1);
  EXPECT_EQ(spc, 1u);
  EXPECT_GT(bps, 0u);
  EXPECT_GT(total, 0u);
  EXPECT_LE(free, total);
  EXPECT_EQ(volumes.GetDiskFreeSpaceA("/no/such/folder/here", &spc, &bps, &free, &total), 0);
}

}  // namespace
}  // namespace korvel::utilities
