#include "upgrade/UpgradeDialogModel.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "drive/Commands.h"
#include "drive/DriveScan.h"
#include "drive/Identification.h"
#include "formats/SenseLayout.h"
#include "upgrade/FirmwareVersion.h"
#include "upgrade/TickWait.h"
#include "upgrade/UpgradeFileCheck.h"

namespace korvel::upgrade {
namespace {

bool TakesUpgradeFile(drive::DriveType type) {
  return type >= 11 && type <= 19;
}

std::string Decimal(int value) {
  return std::to_string(value);
}

}  // namespace

std::string DriveItemText(const drive::FoundDrive& found) {
  // The model whose INQUIRY product names no model is listed by its kind alone.
  if (found.type == kDriveTypeRevisionInMemory) return "CD-R   ";
  return found.info.product;
}

UpgradeDialogModel::UpgradeDialogModel(transport::ScsiTransport& transport, UpgradeSession& session,
                                       UpgradeWindow& window, TransportControl transportControl)
    : transport_(transport),
      session_(session),
      window_(window),
      transportControl_(std::move(transportControl)) {}

void UpgradeDialogModel::RefreshControls() {
  window_.RefreshControls(hostAdapterText_, targetIdText_, firmwareVersionText_, statusText_);
}

bool UpgradeDialogModel::OnInitDialog() {
  const std::uint32_t started = transportControl_.start ? transportControl_.start() : 0;
  if (started == 0) {
    const std::string& text = transportControl_.noTransportText;
    window_.ShowError(text.empty() ? kNoTransportText : text.c_str(), kNoTransportCaption);
    OnCloseRequest();
    return false;
  }
  ScanAdapters(static_cast<int>(started & 0xFF));
  if (session_.DriveCount > 0) {
    window_.SelectDriveItem(0);
    SelectDrive(0);
  } else {
    window_.EnableControl(kDriveCombo, false);
  }
  return true;
}

void UpgradeDialogModel::ScanAdapters(int adapterCount) {
  for (const drive::FoundDrive& found : drive::ScanForDrives(transport_, adapterCount)) {
    // The list has room for 32; later drives stay off both the list and the box, so that
    // item i of the box is always entry i of the list.
    if (session_.DriveCount >= kMaxListedDrives) break;
    session_.DriveList[session_.DriveCount++] = found.address;
    window_.AddDriveItem(DriveItemText(found));
  }
}

void UpgradeDialogModel::SelectDrive(int index) {
  // The box reports -1 when nothing is selected.
  if (index < 0 || index >= session_.DriveCount) return;
  const transport::DeviceAddress address = session_.DriveList[index];
  std::uint8_t scratch[drive::kRequestSenseLength] = {};
  drive::TestUnitReady(transport_, address.adapter, address.target);
  drive::RequestSense(transport_, address.adapter, address.target, scratch);
  session_.SelectedDrive = index;
  hostAdapterText_ = Decimal(address.adapter);
  targetIdText_ = Decimal(address.target);

  const FirmwareIdentity identity = ReadFirmwareIdentity(transport_, address);
  firmwareVersionText_ = identity.version;
  window_.EnableControl(kUpgradeButton, false);

  char trace[32];
  std::snprintf(trace, sizeof trace, "Korveltype %d\r\n", identity.type);
  transport_.platform().kernel.OutputDebugStringA(trace);

  if (TakesUpgradeFile(identity.type)) {
    window_.EnableControl(kLoadFileButton, true);
    statusText_ = kSelectFileText;
  } else {
    window_.EnableControl(kLoadFileButton, false);
    statusText_ = kNotUpgradableText;
  }
  RefreshControls();
}

void UpgradeDialogModel::OnLoadFile() {
  session_.UpgradeImage.clear();
  lastFileCheck_.reset();
  std::optional<std::string> path = window_.AskForUpgradeFile(OpenFileRequest{});
  if (!path) return;
  session_.UpgradeImage = std::move(*path);
  if (session_.UpgradeImage.size() > 1) {
    const bool valid = ValidateUpgradeFile();
    window_.EnableControl(kUpgradeButton, valid);
    if (valid) PreviewGuards();
  }
}

void UpgradeDialogModel::PreviewGuards() {
  if (guard_ == nullptr) return;
  // Upgrade stays enabled: what refuses now (a mounted disc, another program) may be gone when
  // the user presses it, and Upgrade checks again.
  std::string text;
  for (const std::string& refusal : guard_->Preview(session_.SelectedAddress())) {
    if (!text.empty()) text += "\n\n";
    text += refusal;
  }
  if (!text.empty()) window_.ShowRefusal(text);
}

bool UpgradeDialogModel::ValidateUpgradeFile() {
  const transport::DeviceAddress address = session_.SelectedAddress();
  const formats::UpgradeFileFormat* format =
      formats::FormatForDriveType(drive::DriveTypeOf(transport_, address.adapter, address.target));
  if (format == nullptr) return false;
  return CheckUpgradeFile(*format);
}

bool UpgradeDialogModel::CheckUpgradeFile(const formats::UpgradeFileFormat& format) {
  const FileCheckResult result = CheckUpgradeFileAt(
      transport_.platform().files, session_.UpgradeImage, format, session_.transferBuffer);
  statusText_ = result.statusText;
  lastFileCheck_ = result;
  RefreshControls();
  return result.valid();
}

std::string UpgradeDialogModel::FailureText(const TransferOutcome& outcome) {
  const transport::DeviceAddress address = session_.SelectedAddress();
  TransferBuffer& buffer = session_.transferBuffer;
  // Cleared first so that a REQUEST SENSE that moves nothing cannot pass old bytes off as the
  // drive's answer.
  std::fill_n(buffer.begin(), drive::kRequestSenseLength, std::uint8_t{0});
  if (drive::RequestSense(transport_, address.adapter, address.target, buffer.data()) != 1) {
    return kSenseUnavailableText;
  }
  using namespace formats::sense_layout;
  const SenseReport sense{buffer[kResponseCode], buffer[kSenseKey], buffer[kAsc], buffer[kAscq]};
  lastUpgrade_.sense = sense;
  return outcome.kind == TransferOutcome::Kind::FileReadError ? TransferReadErrorText(sense)
                                                              : UpgradeFailedText(sense);
}

void UpgradeDialogModel::OnUpgrade() {
  const transport::DeviceAddress address = session_.SelectedAddress();
  lastUpgrade_ = UpgradeReport{};
  // Held until the new revision was read: the drive alone, the machine awake, signals held.
  std::unique_ptr<FlashHold> hold;
  if (guard_ != nullptr && !rehearsal_) {
    FlashHoldResult held = guard_->Hold(address);
    if (!held.hold) {
      // Nothing reached the drive and nothing changed on screen but the box.
      lastUpgrade_.transfer.kind = TransferOutcome::Kind::Refused;
      lastUpgrade_.refusal = held.refusal;
      window_.ShowRefusal(held.refusal);
      return;
    }
    hold = std::move(held.hold);
  }
  const std::string statusBefore = statusText_;
  statusText_ = kUpgradeInProgressText;
  RefreshControls();
  window_.EnableControl(kUpgradeButton, false);
  window_.EnableControl(kLoadFileButton, false);

  platform::Platform& platform = transport_.platform();
  lastUpgrade_.transfer = TransferFirmware(
      TransferRequest{transport_, platform.files, platform.kernel, address, session_.UpgradeImage,
                      session_.transferBuffer,
                      [this](int sent, int count) { window_.ShowTransferProgress(sent, count); },
                      !rehearsal_, [&hold] { return !hold || hold->BeginWriting(); }});
  const TransferOutcome& outcome = lastUpgrade_.transfer;

  if (outcome.kind == TransferOutcome::Kind::Interrupted) {
    // The program is to end and the drive was given nothing to save: there is no restart to
    // wait for and the screen goes back to what it showed.
    statusText_ = statusBefore;
    if (hold) lastUpgrade_.heldSignal = hold->HeldSignal();
    window_.EnableControl(kUpgradeButton, true);
    window_.EnableControl(kLoadFileButton, true);
    RefreshControls();
    return;
  }

  if (outcome.kind == TransferOutcome::Kind::CannotOpen) {
    // Nothing reached the drive, so there is nothing to wait for or to ask it: say what is
    // wrong with the file and give the user the buttons back.
    statusText_ = session_.UpgradeImage.empty() ? std::string(kNoFileLoadedText)
                                                : CannotOpenFileText(outcome.fileError);
    // A request to end that came meanwhile is the caller's to act on, as after a flash.
    if (hold) lastUpgrade_.heldSignal = hold->HeldSignal();
    window_.EnableControl(kUpgradeButton, true);
    window_.EnableControl(kLoadFileButton, true);
    RefreshControls();
    return;
  }

  if (outcome.succeeded()) {
    statusText_ = rehearsal_ ? kRehearsalDoneText : kUpgradeSucceededText;
  } else {
    statusText_ = FailureText(outcome);
  }
  if (!rehearsal_) WaitOnTickCount(platform.kernel, kRestartWaitMs);
  window_.EnableControl(kUpgradeButton, true);
  window_.EnableControl(kLoadFileButton, true);

  drive::TestUnitReady(transport_, address.adapter, address.target);
  drive::RequestSense(transport_, address.adapter, address.target, session_.transferBuffer.data());
  firmwareVersionText_ = ReadFirmwareIdentity(transport_, address).version;
  if (hold) lastUpgrade_.heldSignal = hold->HeldSignal();
  hold.reset();
  RefreshControls();
}

void UpgradeDialogModel::OnCloseRequest() {
  if (transportControl_.stop) transportControl_.stop();
  window_.RequestClose();
}

}  // namespace korvel::upgrade
