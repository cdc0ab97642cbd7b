// The main window's logic without its display: the scan at start, the selection of a drive,
// Load File with the check of the file and Upgrade with the transfer, and the four text
// fields. The Qt dialog, korvelfw and the tests drive this same code through UpgradeWindow.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "drive/DriveScan.h"
#include "formats/UpgradeFileFormat.h"
#include "transport/ScsiTransport.h"
#include "upgrade/FirmwareTransfer.h"
#include "upgrade/FlashGuard.h"
#include "upgrade/StatusTexts.h"
#include "upgrade/UpgradeFileCheck.h"
#include "upgrade/UpgradeSession.h"
#include "upgrade/UpgradeWindow.h"

namespace korvel::upgrade {

// How the dialog starts and releases the transport. start: 0 when no transport could be
// started, otherwise the host adapter count in its low 8 bits. stop must be harmless after a
// failed start.
struct TransportControl {
  std::function<std::uint32_t()> start;
  std::function<void()> stop;
  // What the error box says when `start` finds no transport; empty: the Windows text.
  std::string noTransportText = {};
};

// What the last Upgrade did, for callers that report more than the status line.
struct UpgradeReport {
  TransferOutcome transfer;
  // The sense bytes of the failure report; empty on success or when the drive gave none.
  std::optional<SenseReport> sense;
  // Why a guard refused the flash, for Refused.
  std::string refusal;
  // The signal that arrived while the flash could not be stopped; 0 when none came.
  int heldSignal = 0;
};

// The text of a found drive in the drive box: its product identification as the drive returned
// it (all 16 characters), or "CD-R   " for the model that keeps its version in drive memory.
std::string DriveItemText(const drive::FoundDrive& found);

class UpgradeDialogModel {
 public:
  UpgradeDialogModel(transport::ScsiTransport& transport, UpgradeSession& session,
                     UpgradeWindow& window, TransportControl transportControl);

  // The dialog's initialisation: starts the transport, scans every adapter and selects the
  // first drive found. False when no transport could be started (the window is then closed).
  bool OnInitDialog();
  // Shows the drive at `index` of DriveList; an index outside the list is ignored.
  void SelectDrive(int index);
  void OnLoadFile();
  // The file named by UpgradeImage against the selected drive's format; sets the status text
  // for the drive types that have a format, never touches the buttons.
  bool ValidateUpgradeFile();
  bool CheckUpgradeFile(const formats::UpgradeFileFormat& format);
  void OnUpgrade();
  // The window's close request: releases the transport, then ends the dialog.
  void OnCloseRequest();

  // A rehearsal of Upgrade: everything but WRITE BUFFER (and the waits for a save).
  void SetRehearsal(bool rehearsal) { rehearsal_ = rehearsal; }
  // The checks and holds around a real flash; none by default. With one, Upgrade takes its
  // holds before it sends anything and keeps them until the new revision was read, and Load
  // File of a valid file says at once what would refuse the flash.
  void SetFlashGuard(FlashGuard* guard) { guard_ = guard; }

  const std::string& hostAdapterText() const { return hostAdapterText_; }
  const std::string& targetIdText() const { return targetIdText_; }
  const std::string& firmwareVersionText() const { return firmwareVersionText_; }
  const std::string& statusText() const { return statusText_; }
  const UpgradeReport& lastUpgrade() const { return lastUpgrade_; }
  // The verdict of the last Load File's check, for callers that say more than the status line;
  // empty until a file has been checked (and again when Load File starts).
  const std::optional<FileCheckResult>& lastFileCheck() const { return lastFileCheck_; }
  const UpgradeSession& session() const { return session_; }

 private:
  void RefreshControls();
  void ScanAdapters(int adapterCount);
  std::string FailureText(const TransferOutcome& outcome);
  void PreviewGuards();

  transport::ScsiTransport& transport_;
  UpgradeSession& session_;
  UpgradeWindow& window_;
  TransportControl transportControl_;
  bool rehearsal_ = false;
  FlashGuard* guard_ = nullptr;

  std::string hostAdapterText_;
  std::string targetIdText_;
  std::string firmwareVersionText_;
  std::string statusText_;
  UpgradeReport lastUpgrade_;
  std::optional<FileCheckResult> lastFileCheck_;
};

}  // namespace korvel::upgrade
