// korvelfw scan on a Linux machine without any SCSI generic device: the start-up error says
// what is missing there, not what a Windows PC would lack.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "cli/CliContext.h"
#include "cli/ExitCodes.h"
#include "cli/ScanCommand.h"
#include "machine/LinuxMachine.h"
#include "platform/linux/tests/FakeSysfsTree.h"

namespace korvel::cli {
namespace {

TEST(ScanOnLinuxTest, NoSgNodeSaysToLoadTheModuleOrAttachADrive) {
  platform::linux_host::testing::FakeSysfsTree tree;  // no device at all
  const auto mounts = tree.root() / "mounts";
  platform::linux_host::testing::FakeSysfsTree::Write(mounts, "");
  std::ostringstream out;
  std::ostringstream err;
  CliContext context(
      GlobalOptions{},
      std::make_unique<machine::LinuxMachine>(
          false, platform::linux_host::SysfsScsiDiscovery(tree.sys(), tree.dev()), mounts),
      {}, out, err);
  ScanCommand scan;
  EXPECT_EQ(scan.Run(context), kExitNoTransport);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(),
            "ERROR: no SCSI generic device (/dev/sg*) was found; load the sg module (modprobe sg) "
            "or attach a drive\n"
            "No SCSI transport: no ASPI, no NT pass-through and no SCSI generic devices (/dev/sg*) "
            "on this machine.\n");
}

}  // namespace
}  // namespace korvel::cli
