// The dialog's logic on the stand-in host, with the built-in PC's mix of drives: the format B
// model at 0:2, another maker's device at 0:4, the format A model at 1:1 and a CD-ROM model
// (type 17) at 1:5.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "FakeHost.h"
#include "FakeWindow.h"
#include "upgrade/UpgradeDialogModel.h"

namespace korvel::upgrade::testing {

inline constexpr char kFormatBProduct[] = "CD-R   RZ5140   ";
inline constexpr char kFormatAProduct[] = "CD-R   RZ6120   ";
inline constexpr char kCdRomProduct[] = "CD-ROM          ";
inline constexpr char kPlainCdRProduct[] = "CD-R            ";  // type 19: no file format

inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kRezeroUnit = 0x01;
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kReadDriveMemory = 0xE3;

class ModelFixture : public ::testing::Test {
 protected:
  ModelFixture() {
    host.Drive(0, 2).product = kFormatBProduct;
    host.Drive(0, 4).vendor = "OTHERCO ";
    host.Drive(0, 4).product = "DISC WRITER     ";
    host.Drive(1, 1).product = kFormatAProduct;
    host.Drive(1, 5).product = kCdRomProduct;
  }

  // Starts the dialog and selects the drive at `address`; the commands so far are forgotten.
  void OpenAndSelect(int adapter, int target) {
    ASSERT_TRUE(model.OnInitDialog());
    for (int i = 0; i < session.DriveCount; ++i) {
      if (session.DriveList[i].adapter == adapter && session.DriveList[i].target == target) {
        model.SelectDrive(i);
        host.sent().clear();
        host.kernel.debugOutput.clear();
        return;
      }
    }
    FAIL() << "no drive at " << adapter << ":" << target;
  }

  // Loads `path` as if picked in the file dialog.
  void Load(const std::string& path) {
    window.fileAnswers.push_back(path);
    model.OnLoadFile();
  }

  FakeHost host;
  UpgradeSession session;
  FakeWindow window;
  std::uint32_t startValue = 2;
  int stops = 0;
  UpgradeDialogModel model{host.transport, session, window,
                           TransportControl{[this] { return startValue; }, [this] { ++stops; }}};
};

}  // namespace korvel::upgrade::testing
