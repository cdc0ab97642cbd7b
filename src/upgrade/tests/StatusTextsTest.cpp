#include "upgrade/StatusTexts.h"

#include <gtest/gtest.h>

namespace korvel::upgrade {
namespace {

TEST(StatusTextsTest, ValuesAreFormattedExactly) {
  const struct {
    std::string actual;
    std::string expected;
  } cases[] = {
      {ChecksumErrorText(0x1234, 0x00FF), "Checksum error: 1234 <-> FF"},
      {ChecksumErrorText(0x0000, 0xABCD), "Checksum error: 0 <-> ABCD"},
      {UpgradeFailedText({0x70, 0x05, 0x24, 0x00}),
       "!! ERROR: Upgrade failed! (sense 70 05 24 00)"},
      {UpgradeFailedText({0x00, 0x0A, 0xFF, 0x01}),
       "!! ERROR: Upgrade failed! (sense 00 0A FF 01)"},
      {TransferReadErrorText({0x70, 0x00, 0x00, 0x00}),
       "!! ERROR: Upgrade file read error! (sense 70 00 00 00)"},
      {ValidFileText("C:\\FW\\NEW\\RZ5140.BIN"), "Valid upgrade file loaded: RZ5140.BIN"},
      {ValidFileText("/tmp/fw/rz.bin"), "Valid upgrade file loaded: rz.bin"},
      {ValidFileText("RZ.BIN"), "Valid upgrade file loaded: RZ.BIN"},
      {ValidFileText("C:\\FW\\"), "Valid upgrade file loaded: "},
      {CannotOpenFileText(platform::ERROR_FILE_NOT_FOUND),
       "!! ERROR: Cannot open the upgrade file! (file not found)"},
      {CannotOpenFileText(platform::ERROR_SHARING_VIOLATION),
       "!! ERROR: Cannot open the upgrade file! (file in use by another program)"},
      {CannotOpenFileText(1117), "!! ERROR: Cannot open the upgrade file! (system error 1117)"},
  };
  for (const auto& test : cases) EXPECT_EQ(test.actual, test.expected);
}

}  // namespace
}  // namespace korvel::upgrade
