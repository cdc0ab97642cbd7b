// What the main window's logic keeps for the life of the program: the drives found by the
// scan, the one shown, the chosen upgrade file and the working buffer. One object per program,
// owned by whoever runs the dialog (the Qt program, korvelfw, a test) and passed by reference.
#pragma once

#include <array>
#include <string>

#include "transport/DeviceAddress.h"
#include "upgrade/TransferBuffer.h"

namespace korvel::upgrade {

inline constexpr int kMaxListedDrives = 32;

struct UpgradeSession {
  // Entry i belongs to item i of the drive box. Zero-filled, so that with no drive found the
  // entry at SelectedDrive is the address (0, 0).
  std::array<transport::DeviceAddress, kMaxListedDrives> DriveList{};
  int DriveCount = 0;
  int SelectedDrive = 0;

  // Full path of the file chosen with Load File; empty at start and while the dialog is open.
  std::string UpgradeImage;

  TransferBuffer transferBuffer{};

  transport::DeviceAddress SelectedAddress() const { return DriveList[SelectedDrive]; }
};

}  // namespace korvel::upgrade
